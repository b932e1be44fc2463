#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QHash>
#include <QStringList>
#include <QVariant>

class QSqlQuery;

// The one connection to the database file. The program opens an existing
// file, never creates one.
class Database
{
public:
    explicit Database(const QString &connectionName = QStringLiteral("ADOConnection"));
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Throws DataError when the file is missing or unreadable. A file that
    // can't be written is opened read-only.
    void open(const QString &path);
    void close();
    bool isOpen() const;
    bool isReadOnly() const { return m_readOnly; }
    QString path() const { return m_path; }
    QSqlDatabase connection() const;

    // Throws DataError(Missing) naming the first table or column not present.
    void requireColumns(const QString &table, const QStringList &columns) const;

    // Prepares and runs a statement with named parameters; throws DataError
    // with the database's text on failure.
    QSqlQuery exec(const QString &sql, const QHash<QString, QVariant> &params = {}) const;

    // Runs fn inside one transaction: all of it is stored or none. A failed
    // commit is rolled back too, so the connection never stays inside it.
    template <typename Fn> void transaction(Fn fn)
    {
        begin();
        try {
            fn();
            commit();
        } catch (...) {
            rollback();
            throw;
        }
    }

    // Names of the tables in the file, in lower case.
    QStringList tables() const;

    // Creates a new database file from the schema; refuses an existing file.
    static void create(const QString &path);
    static QString schemaSql();

private:
    void begin();
    void commit();
    void rollback();

    QString m_name;
    QString m_path;
    bool m_readOnly = false;
};
