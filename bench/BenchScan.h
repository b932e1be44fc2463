#pragma once

#include "BenchTiming.h"

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

// The same scan of the file at path, timed (median of five after one to warm
// the cache) on a connection of its own.
inline Timing plainScan(const QString &path, const QString &sql)
{
    Timing t{};
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("scan"));
        c.setDatabaseName(path);
        c.open();
        const auto scan = [&c, &sql] { readEveryValue(c, sql); };
        scan();
        t = timeRuns(5, scan);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("scan"));
    return t;
}

// The catalogue's own measure, as the benchmarks of windows take it: every
// column of the project list but the pictures, read from the table's rows
// (not the list's index, which holds them too).
inline const QString &projectScanSql()
{
    static const QString sql = QStringLiteral("SELECT project_id, cat_id, year_id, version_id, tovName, price,"
                                              " description, project_begin, project_end, datetime_update,"
                                              " path_repository, isExports, isExportsDesc"
                                              " FROM projects NOT INDEXED ORDER BY rowid");
    return sql;
}
