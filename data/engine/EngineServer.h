#pragma once

#include "data/engine/Engine.h"

// A catalogue on a PostgreSQL server, through Qt's QPSQL driver.
class ServerEngine : public Engine
{
public:
    ServerEngine();

    Kind kind() const override { return Kind::Server; }
    QString schemaSql() const override;
    // Quotes the identifiers that carry capitals, so tovName keeps its case.
    QString dialect(const QString &sql) const override;
    QString packedRow(const QStringList &columns) const override;
    void settleAfterLoad(Database &db) const override;
    QStringList columns(const Database &db, const QString &table) const override;
    QStringList tables(const Database &db) const override;
    DataError translate(const QSqlError &e) const override;
    QString rowIdColumn(const Database &db, const QString &table) const override;
    QString returningKey(const QString &sql, const QString &keyColumn) const override;
    QVariant insertedKey(QSqlQuery &q) const override;
    qint64 lastKey(const Database &db, const QString &table, const QString &keyColumn) const override;
    void setLastKey(const Database &db, const QString &table, const QString &keyColumn, qint64 key) const override;
    bool isConnectionLost(const QSqlError &e) const override;
    QString sameValueOperator() const override { return QStringLiteral("IS NOT DISTINCT FROM"); }
    QString shareLockClause() const override { return QStringLiteral(" FOR SHARE"); }
    void connect(QSqlDatabase &db, const QString &location) const override;
    bool holdsExactly(const Database &db, const QStringList &statements, const QString &part) const override;
    QStringList dropStatements(const Database &db, const QString &part) const override;
    QString displayName(const QString &location) const override;

    // A password the user gave at sign-in, for this run only (the data layer
    // stores none): connections to that database, reconnects included, use
    // it where the address carries none. An empty one forgets it.
    static void setRunPassword(const QString &location, const QString &password);
    // True for a connection refused for want of the right password.
    static bool asksForPassword(const DataError &e);
    // The address as shown and as a kept password is known by: without one.
    static QString withoutPassword(const QString &location);

private:
    QHash<QString, QString> m_quoted; // lower case -> the spelling of the schema
    mutable QHash<QString, QString> m_rowIds;
};
