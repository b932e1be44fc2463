#include "data/engine/Database.h"

#include "data/core/DataError.h"
#include "data/engine/DatabaseErrors.h"
#include "data/engine/Engine.h"
#include "data/engine/EngineFile.h"
#include "data/engine/JetHeader.h"
#include "SchemaSql.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>

namespace {

QString uniqueConnectionName(const QString &base)
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1_%2").arg(base).arg(++counter);
}

DataError errorOf(const QSqlError &e)
{
    return databaseError(e);
}

// How long a statement waits for another program's lock before it gives up:
// short enough that the window does not seem to hang.
const char *const kBusyTimeout = "QSQLITE_BUSY_TIMEOUT=1500";

// The start-up check read nothing: say what is wrong with the file itself.
DataError unusableFile(const QString &shownPath, const DataError &e)
{
    QString first;
    switch (e.kind()) {
    case DataError::Kind::Locked:
        first = QStringLiteral("Файл базы данных \"%1\" занят другой программой. Повторите попытку позже.");
        break;
    case DataError::Kind::Corrupt:
        first = QStringLiteral("Файл базы данных \"%1\" поврежден.");
        break;
    default:
        first = QStringLiteral("Файл \"%1\" не является базой данных программы.");
        break;
    }
    const QString detail = e.detail().isEmpty() ? e.text() : e.detail();
    return DataError(first.arg(shownPath) + QLatin1Char('\n') + detail,
                     e.kind() == DataError::Kind::General ? DataError::Kind::NotADatabase : e.kind());
}

// The placeholders a statement really holds, so only those are bound.
QStringList placeholders(const QString &sql)
{
    // "::text" is a cast on the server, not a parameter.
    static const QRegularExpression re(QStringLiteral("(?<!:):([A-Za-z_][A-Za-z0-9_]*)"));
    QStringList names;
    for (auto it = re.globalMatch(sql); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

} // namespace

Database::Database(const QString &connectionName)
    : m_name(uniqueConnectionName(connectionName)), m_engine(std::make_unique<FileEngine>())
{
}

Database::~Database()
{
    close();
}

void Database::open(const QString &path)
{
    if (Engine::isServerUrl(path)) {
        openServer(path);
        return;
    }
    m_engine = std::make_unique<FileEngine>();
    const QFileInfo info(path);
    const QString shown = info.absoluteFilePath();
    if (info.isDir())
        throw DataError(QStringLiteral("\"%1\" - это папка, а не файл базы данных.").arg(shown),
                        DataError::Kind::NotADatabase);
    if (!info.exists())
        throw DataError(QStringLiteral("Не удается найти файл базы данных \"%1\".").arg(shown));
    if (!info.isFile() || !info.isReadable())
        throw DataError(QStringLiteral("Нет доступа к файлу базы данных \"%1\".").arg(shown));
    // An Access file says what it is rather than being taken for a damaged catalogue.
    if (const StoredFileKind kind = storedFileKind(path); isAccessKind(kind))
        throw DataError(refusalText(kind, shown), DataError::Kind::NotADatabase);
    // Every change writes a journal beside the file: a folder that can't be
    // written makes the file as read-only as its own flags would.
    m_readOnly = !info.isWritable() || !QFileInfo(info.absolutePath()).isWritable();
    m_path = path;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(path);
    // Another process may share the file: wait a little for its locks.
    db.setConnectOptions(m_readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;") + QLatin1String(kBusyTimeout)
                                    : QString::fromLatin1(kBusyTimeout));
    if (!db.open()) {
        const DataError error = errorOf(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw error;
    }
    try {
        exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        // 4 MB of pages kept between reads: a year's sales by date fit in
        // it, and the project list now comes from its own index rather than
        // past every picture's pages.
        exec(QStringLiteral("PRAGMA cache_size = -4096"));
    } catch (const DataError &e) {
        db = QSqlDatabase();
        close();
        throw unusableFile(shown, e);
    }
    m_dataVersion = m_engine->dataVersion(*this).value_or(0);
}

void Database::close()
{
    m_kept.clear();
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_name) && connection().isOpen();
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_name, false);
}

sqlite3 *Database::fileHandle() const
{
    const QSqlDatabase c = connection();
    const QVariant v = c.isValid() ? c.driver()->handle() : QVariant();
    return v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3 *const *>(v.constData())
                                                                  : nullptr;
}

void Database::requireColumns(const QString &table, const QStringList &columns) const
{
    QStringList present;
    for (const QString &c : m_engine->columns(*this, table))
        present << c.toLower();
    if (present.isEmpty())
        throw DataError(QStringLiteral("В базе данных нет таблицы \"%1\".").arg(table),
                        DataError::Kind::Missing);
    for (const QString &c : columns)
        if (!present.contains(c.toLower()))
            throw DataError(QStringLiteral("В таблице \"%1\" нет поля \"%2\".").arg(table, c),
                            DataError::Kind::Missing);
}

QSqlQuery Database::exec(const QString &sql, const QHash<QString, QVariant> &params) const
{
    QSqlQuery q = prepare(sql);
    for (const QString &name : placeholders(sql))
        q.bindValue(QLatin1Char(':') + name, params.value(name));
    if (!q.exec())
        throw failure(q.lastError());
    return q;
}

struct Database::Kept
{
    QSqlQuery query;
    QStringList placeholders;
    bool busy = false;
};

void Database::readKept(const QString &sql, const QHash<QString, QVariant> &params,
                        const std::function<void(QSqlQuery &)> &read) const
{
    reconnectIfLost(); // a new connection has none of the old statements
    std::shared_ptr<Kept> kept = m_kept.value(sql);
    // A kept statement has parameters: only a new one is looked through.
    if (!kept && m_engine->kind() == Engine::Kind::Server && placeholders(sql).isEmpty()) {
        // The server's driver streams the rows of a statement run as it
        // stands, but holds back a prepared one's until the last has come.
        QSqlQuery q(connection());
        q.setForwardOnly(true);
        if (!q.exec(m_engine->dialect(sql)))
            throw failure(q.lastError());
        read(q);
        // A failure after the first rows ends the rows early, not the exec.
        if (q.lastError().isValid())
            throw failure(q.lastError());
        return;
    }
    if (kept && kept->busy) { // the same statement read inside its own read
        QSqlQuery q = exec(sql, params);
        read(q);
        return;
    }
    if (!kept) {
        if (m_kept.size() >= 64)
            m_kept.clear();
        kept = std::make_shared<Kept>(Kept{prepare(sql), placeholders(sql)});
        m_kept.insert(sql, kept);
    }
    QSqlQuery &q = kept->query;
    for (const QString &name : std::as_const(kept->placeholders))
        q.bindValue(QLatin1Char(':') + name, params.value(name));
    if (!q.exec()) {
        m_kept.remove(sql);
        throw failure(q.lastError());
    }
    kept->busy = true;
    const auto done = qScopeGuard([&] {
        kept->busy = false;
        q.finish();
    });
    read(q);
}

void Database::setChangeHandler(ChangeHandler handler)
{
    m_changeHandler = std::move(handler);
    if (m_engine && m_engine->kind() == Engine::Kind::Server)
        listenForChanges();
}

void Database::pollChanges()
{
    if (!QSqlDatabase::contains(m_name))
        return; // closed; a lost server connection is renewed by the look
    if (m_engine->kind() == Engine::Kind::Server) {
        pollServer();
        return;
    }
    if (!isOpen())
        return;
    const std::optional<qint64> version = m_engine->dataVersion(*this);
    if (!version || *version == m_dataVersion)
        return;
    m_dataVersion = *version;
    reportChanges({});
}

QString Database::sameValueOperator() const
{
    return m_engine->sameValueOperator();
}

QString Database::shareLockClause() const
{
    return m_engine->shareLockClause();
}

void Database::reportChanges(const QStringList &tables) const
{
    if (m_changeHandler)
        m_changeHandler(tables);
}

void Database::begin()
{
    reconnectIfLost();
    if (!connection().transaction())
        throw failure(connection().lastError());
    if (!m_atBegin)
        return;
    try {
        const QScopedValueRollback<int> inside(m_transactionDepth, 1);
        m_atBegin(*this);
    } catch (...) {
        rollback();
        throw;
    }
}

void Database::setTransactionHooks(TransactionHook atBegin, TransactionHook beforeCommit)
{
    m_atBegin = std::move(atBegin);
    m_beforeCommit = std::move(beforeCommit);
}

void Database::commit()
{
    if (m_beforeCommit) {
        const QScopedValueRollback<int> inside(m_transactionDepth, 1);
        m_beforeCommit(*this);
    }
    if (!connection().commit())
        throw failure(connection().lastError());
}

DataError Database::failure(const QSqlError &e) const
{
    // The server's driver closes a connection whose socket it saw die; its
    // statements then fail without a word of the server's, and its last
    // error is that of an earlier failure (a refused reconnect).
    const bool closed = m_engine->kind() == Engine::Kind::Server && !connection().isOpen();
    if (!closed && !m_engine->isConnectionLost(e))
        return m_engine->translate(e);
    m_lost = true;
    const QString reason = closed ? QStringLiteral("Соединение с сервером разорвано.")
                                  : (e.databaseText().isEmpty() ? e.text() : e.databaseText()).simplified();
    return DataError(QStringLiteral("Потеряна связь с сервером базы данных; действие не выполнено. "
                                    "Следующее действие подключится к серверу заново.\n")
                         + reason,
                     DataError::Kind::Connection);
}

void Database::rollback()
{
    // A commit refused by a lock leaves the transaction open: end it here,
    // so no later statement runs inside it.
    QSqlDatabase db = connection();
    if (!db.rollback())
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
}

QStringList Database::tables() const
{
    return m_engine->tables(*this);
}

QString Database::schemaSql()
{
    return QString::fromUtf8(kSchemaSql);
}

void Database::create(const QString &path)
{
    if (Engine::isServerUrl(path)) {
        createOnServer(path);
        return;
    }
    if (QFileInfo::exists(path))
        throw DataError(QStringLiteral("Файл \"%1\" уже существует.").arg(path));
    const QString name = uniqueConnectionName(QStringLiteral("create"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            const DataError error = errorOf(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw error;
        }
        QSqlQuery q(db);
        db.transaction(); // one write to disk for the whole schema
        for (const QString &statement : splitStatements(schemaSql())) {
            if (!q.exec(statement)) {
                const DataError error = errorOf(q.lastError());
                q = QSqlQuery();
                db.close();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(name);
                QFile::remove(path);
                throw error;
            }
        }
        db.commit();
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

bool Database::isFile() const
{
    return m_engine->kind() == Engine::Kind::File && !m_path.isEmpty();
}

QSqlQuery Database::prepare(const QString &sql) const
{
    reconnectIfLost();
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.prepare(m_engine->dialect(sql)))
        throw failure(q.lastError());
    return q;
}

void Database::runScript(const QString &script)
{
    for (const QString &statement : splitStatements(script)) {
        QSqlQuery q(connection()); // DDL is not prepared on the server
        if (!q.exec(statement))
            throw failure(q.lastError());
    }
}
