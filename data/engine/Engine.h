#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

class DataError;
class Database;
class QSqlDatabase;
class QSqlError;
class QSqlQuery;

// What differs between the two storage engines: the embedded file (SQLite,
// db.mdb) and a PostgreSQL server. The program writes its SQL once, in the
// file's dialect; the engine adapts it. Nothing above data/ sees an engine.
class Engine
{
public:
    enum class Kind { File, Server };

    virtual ~Engine() = default;

    // A location is a file path or a postgresql:// URL.
    static bool isServerUrl(const QString &location);
    static std::unique_ptr<Engine> forLocation(const QString &location);

    virtual Kind kind() const = 0;
    // The tables of a new catalogue, statements separated by ';'.
    virtual QString schemaSql() const = 0;
    // The statement as this engine reads it.
    virtual QString dialect(const QString &sql) const { return sql; }
    // The columns selected as one text a row (read with RecordText), where
    // a large read is cheaper so; empty where it is not.
    virtual QString packedRow(const QStringList &) const { return {}; }

    // Names of the columns of a table as stored; empty when there is no such table.
    virtual QStringList columns(const Database &db, const QString &table) const = 0;
    // Names of the tables, in lower case.
    virtual QStringList tables(const Database &db) const = 0;
    virtual bool hasTable(const Database &db, const QString &table) const;
    // The column that identifies a row for updates and deletes.
    virtual QString rowIdColumn(const Database &db, const QString &table) const = 0;
    // An INSERT made to give back its key, and the key read from it.
    virtual QString returningKey(const QString &sql, const QString &keyColumn) const = 0;
    virtual QVariant insertedKey(QSqlQuery &q) const = 0;
    // The last key handed out for a table, and setting it so none is reused.
    virtual qint64 lastKey(const Database &db, const QString &table, const QString &keyColumn) const = 0;
    virtual void setLastKey(const Database &db, const QString &table, const QString &keyColumn,
                            qint64 key) const = 0;

    // The objects of the catalogue (tables, views, functions, triggers) whose
    // names contain part: whether they are exactly those that the schema's
    // statements make, and the statements that drop them all.
    virtual bool holdsExactly(const Database &, const QStringList &, const QString &) const { return false; }
    virtual QStringList dropStatements(const Database &, const QString &) const { return {}; }
    // Makes the schema's plain (not unique) indexes a catalogue made by an
    // earlier version lacks; for a catalogue open for writing.
    virtual void addMissingIndexes(Database &) const {}
    // After a new catalogue was filled at once (a copy, a conversion), its
    // transaction committed: puts in order what the load left behind. Best
    // effort: the catalogue stands as loaded whatever comes of it.
    virtual void settleAfterLoad(Database &) const {}

    // What is damaged in the stored data, read page by page; empty when
    // it is sound, or where the engine keeps its own (the server).
    virtual QString damage(const Database &) const { return {}; }

    // A number that changes when another connection commits; none where the
    // engine can't tell so cheaply (the server).
    virtual std::optional<qint64> dataVersion(const Database &) const { return std::nullopt; }
    // NULL-safe equality, for matching a row as it was read.
    virtual QString sameValueOperator() const { return QStringLiteral("IS"); }
    // Ends a select that checks a referenced row inside a write, so that the
    // row can't go before the write commits. The file needs none: its
    // writers take turns.
    virtual QString shareLockClause() const { return {}; }

    // A refusal in the program's words: a Russian first line, the engine's text second.
    virtual DataError translate(const QSqlError &e) const;
    // A failure that means the connection is gone (the next action reconnects).
    virtual bool isConnectionLost(const QSqlError &) const { return false; }
    // Sets up and opens the connection of a server URL; throws DataError
    // with a Russian first line that says what went wrong.
    virtual void connect(QSqlDatabase &db, const QString &location) const;
    // The location as shown to the user (a server URL without its password).
    virtual QString displayName(const QString &location) const { return location; }
};

// The tables of a catalogue in the order a copy fills them, with their keys
// (configs has none of the program's own).
struct CatalogueTable {
    QString name;
    QString key;
    bool operator==(const CatalogueTable &o) const { return name == o.name; }
};
const QVector<CatalogueTable> &catalogueTables();

// Splits a statement script into its statements, leaving out comment lines.
QStringList splitStatements(const QString &script);
