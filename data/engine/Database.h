#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QHash>
#include <QScopedValueRollback>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class DataError;
class Engine;
class QSqlError;
class QSqlQuery;
struct sqlite3;

// The one connection to the database: a file, or a catalogue on a server
// (a postgresql:// URL). The program opens an existing one, never creates one.
class Database
{
public:
    explicit Database(const QString &connectionName = QStringLiteral("ADOConnection"));
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Throws DataError when the file is missing or unreadable. A file that
    // can't be written is opened read-only. A server URL is connected to;
    // see Engine for what differs.
    void open(const QString &path);
    const Engine &engine() const { return *m_engine; }
    void close();
    bool isOpen() const;
    bool isReadOnly() const { return m_readOnly; }
    QString path() const { return m_path; }
    // True when the data is a file on this machine (one path to copy).
    bool isFile() const;
    QSqlDatabase connection() const;

    // Throws DataError(Missing) naming the first table or column not present.
    void requireColumns(const QString &table, const QStringList &columns) const;

    // Prepares and runs a statement with named parameters; throws DataError
    // with the database's text on failure.
    QSqlQuery exec(const QString &sql, const QHash<QString, QVariant> &params = {}) const;

    // For a statement run again and again (a detail's rows on every move of
    // its master, a picture as it is shown): it stays prepared, as parsing
    // it anew costs more than running it. The query is finished (its locks
    // given back) when read returns. On the server a statement without
    // parameters is not prepared but streamed: read must run no other
    // statement meanwhile (the driver would drop the rows still to come).
    void readKept(const QString &sql, const QHash<QString, QVariant> &params,
                  const std::function<void(QSqlQuery &)> &read) const;

    // Runs the statements of a script as written, unprepared (a server
    // prepares no DDL); throws DataError at the first that fails.
    void runScript(const QString &script);

    // Runs fn inside one transaction: all of it is stored or none. A failed
    // commit is rolled back too, so the connection never stays inside it.
    // Called inside another, fn joins the outer transaction.
    template <typename Fn> void transaction(Fn fn)
    {
        if (m_transactionDepth > 0) {
            fn();
            return;
        }
        begin();
        try {
            {
                const QScopedValueRollback<int> inside(m_transactionDepth, 1);
                fn();
            }
            commit();
        } catch (...) {
            rollback();
            throw;
        }
    }

    // Names of the tables in the file, in lower case.
    QStringList tables() const;

    // SQL that differs between engines.
    // NULL-safe equality, for matching a row as it was read.
    QString sameValueOperator() const;
    // Ends a sub-select that checks a referenced row inside a write, so the
    // row can't go before the write commits. The file needs none: its
    // writers take turns.
    QString shareLockClause() const;

    // Commits made through other connections reach the handler with the
    // tables they changed, or an empty list when the engine can't tell.
    using ChangeHandler = std::function<void(const QStringList &tables)>;
    void setChangeHandler(ChangeHandler handler);
    // Looks for such commits since the last look; cheap enough for a timer.
    // The file compares its data version; a server engine feeds
    // reportChanges() from its notifications instead.
    void pollChanges();
    void reportChanges(const QStringList &tables) const;

    // Run first in each transaction of this connection and last before its
    // commit (the file's writer names itself so to the catalogue's triggers);
    // empty functions for none.
    using TransactionHook = std::function<void(Database &)>;
    void setTransactionHooks(TransactionHook atBegin, TransactionHook beforeCommit);

    // Prepared once, to be run many times with positional values.
    QSqlQuery prepare(const QString &sql) const;
    // SQLite's own handle of the connection, for the few reads and writes
    // that go past the driver; null on a server.
    sqlite3 *fileHandle() const;

    // Change notifications of the server (LISTEN/NOTIFY): onNotify gets the
    // payload of each notification on channel sent by other connections,
    // also after a reconnect.
    // Returns false where the engine has none (the file).
    bool subscribe(const QString &channel, std::function<void(const QString &payload)> onNotify);

    // Creates a new database file from the schema; refuses an existing file.
    // On a server, creates the tables in an existing empty database.
    static void create(const QString &path);
    static QString schemaSql();

private:
    void openServer(const QString &url);
    static void createOnServer(const QString &url);
    // A lost server connection is opened again by the next statement.
    void reconnectIfLost() const;
    void announceChanges();
    void listenForChanges();
    void pollServer();
    DataError failure(const QSqlError &e) const;

    void begin();
    void commit();
    void rollback();

    QString m_name;
    QString m_path;
    bool m_readOnly = false;
    qint64 m_dataVersion = 0;
    int m_transactionDepth = 0;
    ChangeHandler m_changeHandler;
    TransactionHook m_atBegin, m_beforeCommit;
    std::unique_ptr<Engine> m_engine;
    mutable bool m_lost = false;
    mutable bool m_renewed = false;
    QHash<QString, std::function<void(const QString &)>> m_channels;
    struct Kept;
    mutable QHash<QString, std::shared_ptr<Kept>> m_kept;
};
