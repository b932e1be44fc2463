#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>

// The plain scan the benchmarks measure against: every value of every row,
// read forward only, nothing kept.
inline void readEveryValue(const QSqlDatabase &connection, const QString &sql)
{
    QSqlQuery q(connection);
    q.setForwardOnly(true);
    q.exec(sql);
    const int columns = q.record().count();
    while (q.next())
        for (int i = 0; i < columns; ++i)
            q.value(i);
}
