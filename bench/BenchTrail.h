#pragma once

#include "data/engine/Database.h"

#include <QSqlQuery>
#include <QStringList>
#include <functional>

// Drops the file's triggers that which picks, so a benchmark can time a
// write without them; Trail::ensure makes them again.
inline void dropTriggers(Database &db, const std::function<bool(const QString &)> &which)
{
    QStringList drops;
    QSqlQuery q = db.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'"));
    while (q.next())
        if (which(q.value(0).toString()))
            drops << QStringLiteral("DROP TRIGGER ") + q.value(0).toString();
    db.runScript(drops.join(QStringLiteral(";\n")));
}
