#include "data/engine/EngineFile.h"

#include "data/engine/Database.h"
#include "SchemaSql.h"

#include <QSet>
#include <QSqlQuery>

QString FileEngine::schemaSql() const
{
    return QString::fromUtf8(kSchemaSql);
}

QStringList FileEngine::columns(const Database &db, const QString &table) const
{
    QSqlQuery q = db.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    QStringList names;
    while (q.next())
        names << q.value(1).toString();
    return names;
}

QStringList FileEngine::tables(const Database &db) const
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    QStringList names;
    while (q.next())
        names << q.value(0).toString().toLower();
    return names;
}

QVariant FileEngine::insertedKey(QSqlQuery &q) const
{
    return q.lastInsertId();
}

qint64 FileEngine::lastKey(const Database &db, const QString &table, const QString &) const
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = :t"),
                          {{QStringLiteral("t"), table}});
    return q.next() ? q.value(0).toLongLong() : 0;
}

void FileEngine::setLastKey(const Database &db, const QString &table, const QString &keyColumn, qint64 key) const
{
    // AUTOINCREMENT keeps its counter in sqlite_sequence; only ever raise it.
    if (key <= lastKey(db, table, keyColumn))
        return;
    const QHash<QString, QVariant> params{{QStringLiteral("t"), table}, {QStringLiteral("k"), key}};
    if (db.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = :k WHERE name = :t"), params).numRowsAffected() == 0)
        db.exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (:t, :k)"), params);
}

// Our own commits leave it as it is.
std::optional<qint64> FileEngine::dataVersion(const Database &db) const
{
    QSqlQuery q = db.exec(QStringLiteral("PRAGMA data_version"));
    return q.next() ? q.value(0).toLongLong() : 0;
}

QString FileEngine::damage(const Database &db) const
{
    QSqlQuery q = db.exec(QStringLiteral("PRAGMA integrity_check(5)"));
    QStringList problems;
    while (q.next())
        problems << q.value(0).toString();
    return problems == QStringList{QStringLiteral("ok")} ? QString() : problems.join(QLatin1Char('\n'));
}

// The file keeps each object's statement as it was written.
bool FileEngine::holdsExactly(const Database &db, const QStringList &statements, const QString &part) const
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE instr(name, :part) > 0"
                                         " AND sql IS NOT NULL"),
                          {{QStringLiteral("part"), part}});
    QStringList stored, expected;
    while (q.next())
        stored << q.value(0).toString().simplified();
    for (const QString &s : statements)
        expected << s.simplified();
    stored.sort();
    expected.sort();
    return stored == expected;
}

void FileEngine::addMissingIndexes(Database &db) const
{
    static const QRegularExpression index(QStringLiteral("^CREATE INDEX (\\w+) ON (\\w+)"));
    QSet<QString> present; // tables and indexes, read once: this runs at every start
    QSqlQuery q = db.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'index')"));
    while (q.next())
        present.insert(q.value(0).toString());
    QStringList script;
    for (const QString &s : splitStatements(schemaSql())) {
        const QRegularExpressionMatch m = index.match(s);
        if (m.hasMatch() && present.contains(m.captured(2)) && !present.contains(m.captured(1)))
            script << s;
    }
    if (!script.isEmpty())
        db.transaction([&] { db.runScript(script.join(QStringLiteral(";\n"))); });
}

QStringList FileEngine::dropStatements(const Database &db, const QString &part) const
{
    // Triggers before the views they run on, views before the table.
    QSqlQuery q = db.exec(QStringLiteral("SELECT 'DROP ' || upper(type) || ' \"' || name || '\"' FROM sqlite_master"
                                         " WHERE instr(name, :part) > 0 AND type IN ('trigger', 'view', 'table')"
                                         " ORDER BY CASE type WHEN 'trigger' THEN 0 WHEN 'view' THEN 1 ELSE 2 END"),
                          {{QStringLiteral("part"), part}});
    QStringList drops;
    while (q.next())
        drops << q.value(0).toString();
    return drops;
}
