// The parts of Database that depend on the engine: the server connection,
// its loss and renewal, notifications, and the tables made on a server.
#include "data/engine/Database.h"

#include "data/core/DataError.h"
#include "data/engine/Engine.h"
#include "SchemaSql.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

void Database::openServer(const QString &url)
{
    m_engine = Engine::forLocation(url);
    m_readOnly = false;
    m_lost = false;
    m_path = url;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    try {
        if (!db.isValid())
            throw DataError(QStringLiteral("Не установлен драйвер QPSQL для работы с сервером PostgreSQL "
                                           "(пакет libqt6sql6-psql)."),
                            DataError::Kind::Connection);
        m_engine->connect(db, url);
        announceChanges();
    } catch (...) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw;
    }
}

void Database::reconnectIfLost() const
{
    if (!m_lost)
        return;
    QSqlDatabase db = connection();
    db.close();
    m_engine->connect(db, m_path);
    m_kept.clear();
    m_lost = false;
    m_renewed = true;
    for (auto it = m_channels.constBegin(); it != m_channels.constEnd(); ++it)
        db.driver()->subscribeToNotification(it.key());
}

// A catalogue made before its tables told of their changes gets the
// triggers that do; without the right to add them, the program still works
// but sees other users' changes only after a restart.
void Database::announceChanges()
{
    QSqlQuery q = exec(QStringLiteral("SELECT to_regclass('projects') IS NOT NULL"
                                      " AND to_regproc('catalogue_changed') IS NULL"));
    if (!q.next() || !q.value(0).toBool())
        return;
    try {
        transaction([&] { runScript(QString::fromUtf8(kChangesPgSql)); });
    } catch (const DataError &) {
    }
}

void Database::listenForChanges()
{
    const QString channel = QStringLiteral("catalogue_changes");
    if (!m_changeHandler || m_channels.contains(channel))
        return;
    subscribe(channel, [this](const QString &table) { reportChanges({table}); });
}

// Notifications stop unnoticed when the connection dies: a cheap statement
// finds that out, and once it is renewed everything is read again, since
// what was committed meanwhile was told to nobody.
void Database::pollServer()
{
    reconnectIfLost();
    QSqlQuery q(connection()); // not prepared: one round trip a tick instead of three
    if (!q.exec(QStringLiteral("SELECT 1")))
        throw failure(q.lastError());
    if (!m_renewed)
        return;
    m_renewed = false;
    reportChanges({});
}

bool Database::subscribe(const QString &channel, std::function<void(const QString &)> onNotify)
{
    QSqlDriver *driver = connection().driver();
    if (m_engine->kind() != Engine::Kind::Server || !driver || !driver->subscribeToNotification(channel))
        return false;
    if (m_channels.isEmpty())
        QObject::connect(driver, &QSqlDriver::notification, driver,
                         [this](const QString &name, QSqlDriver::NotificationSource source,
                                const QVariant &payload) {
                             // The program knows its own commits already.
                             if (source == QSqlDriver::SelfSource)
                                 return;
                             const auto it = m_channels.constFind(name);
                             if (it != m_channels.constEnd())
                                 (*it)(payload.toString());
                         });
    m_channels.insert(channel, std::move(onNotify));
    return true;
}

void Database::createOnServer(const QString &url)
{
    Database db(QStringLiteral("create"));
    db.open(url);
    for (const CatalogueTable &t : catalogueTables())
        if (db.engine().hasTable(db, t.name))
            throw DataError(QStringLiteral("В базе данных \"%1\" уже есть таблицы программы (\"%2\").")
                                .arg(db.engine().displayName(url), t.name));
    // The schema is made whole or not at all: the server's DDL is transactional.
    db.transaction([&] { db.runScript(db.engine().schemaSql()); });
}
