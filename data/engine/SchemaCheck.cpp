// What the program reads of a catalogue, checked before anything reads it:
// the start-up and every backup offered for restoring.
#include "data/engine/SchemaCheck.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"

#include <QFileInfo>
#include <algorithm>

void checkSchema(const Database &db)
{
    const QString shown = QFileInfo(db.path()).absoluteFilePath();
    const QStringList present = db.tables();
    if (present.isEmpty() && db.engine().kind() == Engine::Kind::Server)
        throw DataError(QStringLiteral("В базе данных \"%1\" нет таблиц программы.")
                            .arg(db.engine().displayName(db.path())),
                        DataError::Kind::Missing);
    if (present.isEmpty())
        throw DataError(QStringLiteral("Файл \"%1\" пуст: в нем нет ни одной таблицы базы данных программы.")
                            .arg(shown),
                        DataError::Kind::NotADatabase);
    static const QStringList ours = {"category", "years", "ide", "projects", "orders", "configs"};
    if (std::none_of(ours.begin(), ours.end(), [&](const QString &t) { return present.contains(t); }))
        throw DataError(QStringLiteral("Файл \"%1\" - база данных другой программы: в нем нет таблиц каталога проектов.")
                            .arg(shown),
                        DataError::Kind::NotADatabase);
    db.requireColumns(QStringLiteral("category"), {"cat_id", "catName"});
    db.requireColumns(QStringLiteral("years"), {"year_id", "name"});
    db.requireColumns(QStringLiteral("ide"), {"version_id", "ide"});
    db.requireColumns(QStringLiteral("projects"),
                      {"project_id", "cat_id", "year_id", "version_id", "tovName", "price", "description",
                       "screenshots", "project_begin", "project_end", "datetime_update", "path_repository",
                       "isExports", "isExportsDesc"});
    db.requireColumns(QStringLiteral("orders"), {"order_id", "project_id", "date_orders", "summ", "comments"});
    db.requireColumns(QStringLiteral("configs"), {"repository_ip", "path_TortoiseSVN"});
}
