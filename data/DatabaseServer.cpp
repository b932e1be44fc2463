// The parts of Database that depend on the engine: the server connection,
// its loss and renewal, notifications, and the tables made on a server.
#include "Database.h"

#include "DataError.h"
#include "Engine.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

QSqlQuery Database::prepare(const QString &sql) const
{
    reconnectIfLost();
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.prepare(m_engine->dialect(sql)))
        throw failure(q.lastError());
    return q;
}

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
    m_lost = false;
    for (auto it = m_channels.constBegin(); it != m_channels.constEnd(); ++it)
        db.driver()->subscribeToNotification(it.key());
}

bool Database::subscribe(const QString &channel, std::function<void(const QString &)> onNotify)
{
    QSqlDriver *driver = connection().driver();
    if (m_engine->kind() != Engine::Kind::Server || !driver || !driver->subscribeToNotification(channel))
        return false;
    if (m_channels.isEmpty())
        QObject::connect(driver, &QSqlDriver::notification, driver,
                         [this](const QString &name, QSqlDriver::NotificationSource, const QVariant &payload) {
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
    db.transaction([&] {
        for (const QString &statement : splitStatements(db.engine().schemaSql())) {
            QSqlQuery q(db.connection()); // DDL is not prepared on the server
            if (!q.exec(statement))
                throw db.failure(q.lastError());
        }
    });
}
