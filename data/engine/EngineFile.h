#pragma once

#include "data/engine/Engine.h"

// The embedded engine: an SQLite file.
class FileEngine : public Engine
{
public:
    Kind kind() const override { return Kind::File; }
    std::optional<qint64> dataVersion(const Database &db) const override;
    QString damage(const Database &db) const override;
    bool holdsExactly(const Database &db, const QStringList &statements, const QString &part) const override;
    QStringList dropStatements(const Database &db, const QString &part) const override;
    void addMissingIndexes(Database &db) const override;
    QString schemaSql() const override;
    QStringList columns(const Database &db, const QString &table) const override;
    QStringList tables(const Database &db) const override;
    QString rowIdColumn(const Database &, const QString &) const override { return QStringLiteral("rowid"); }
    QString returningKey(const QString &sql, const QString &) const override { return sql; }
    QVariant insertedKey(QSqlQuery &q) const override;
    qint64 lastKey(const Database &db, const QString &table, const QString &keyColumn) const override;
    void setLastKey(const Database &db, const QString &table, const QString &keyColumn, qint64 key) const override;
};
