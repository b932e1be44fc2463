#include "TestDb.h"

#include "data/engine/Database.h"
#include "data/core/DataError.h"
#include "data/engine/Engine.h"
#include "data/module/UnitDM.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QTest>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>
#include <stdexcept>

namespace {

QString adminUrl()
{
    return qEnvironmentVariable("PROJECTSALES_TEST_PG");
}

QString withDatabase(const QString &url, const QString &name)
{
    QUrl u(url);
    u.setPath(QLatin1Char('/') + name);
    return u.toString();
}

// Statements that create or drop databases can't run inside a transaction
// or be prepared, so they go straight to the server.
void runDirect(const Database &db, const QString &sql)
{
    QSqlQuery q(db.connection());
    if (!q.exec(sql))
        throw std::runtime_error((sql + QLatin1String(": ") + q.lastError().text()).toStdString());
}

QSqlQuery run(const Database &db, const QString &sql, const QVariantList &values)
{
    if (values.isEmpty() && db.engine().kind() == Engine::Kind::Server) {
        QSqlQuery q(db.connection());
        if (!q.exec(db.engine().dialect(sql)))
            throw std::runtime_error((sql + QLatin1String(": ") + q.lastError().text()).toStdString());
        return q;
    }
    QSqlQuery q(db.connection());
    q.prepare(db.engine().dialect(sql));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw std::runtime_error((sql + QLatin1String(": ") + q.lastError().text()).toStdString());
    return q;
}

} // namespace

int runSuiteOnEngine(QObject *suite, int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QMetaObject *meta = suite->metaObject();
    const int others = meta->indexOfClassInfo(TestDb::onServer() ? "fileOnly" : "serverOnly");
    if (argc > 1 || others < 0)
        return QTest::qExec(suite, arguments);
    const QStringList skipped = QString::fromLatin1(meta->classInfo(others).value()).split(QLatin1Char(' '));
    static const QStringList fixtures = {"initTestCase", "cleanupTestCase", "init", "cleanup"};
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        const QString name = QString::fromLatin1(m.name());
        if (m.methodType() == QMetaMethod::Slot && m.access() == QMetaMethod::Private && m.parameterCount() == 0
            && !name.endsWith(QLatin1String("_data")) && !fixtures.contains(name) && !skipped.contains(name))
            arguments << name;
    }
    return QTest::qExec(suite, arguments);
}

bool TestDb::onServer()
{
    return qEnvironmentVariable("PROJECTSALES_TEST_ENGINE") == QLatin1String("server");
}

QString TestDb::unavailable()
{
    return onServer() ? serverUnavailable() : QString();
}

QString TestDb::serverUnavailable()
{
    if (!adminUrl().isEmpty())
        return {};
    const QString why = qEnvironmentVariable("PROJECTSALES_TEST_PG_SKIP");
    // CTest reports a suite that prints this as skipped, not passed.
    return QStringLiteral("PostgreSQL test server unavailable: ")
        + (why.isEmpty() ? QStringLiteral("PROJECTSALES_TEST_PG is not set; run the tests through ./test.sh")
                         : why);
}

QString TestDb::emptyServerDatabase()
{
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    Database admin(QStringLiteral("testadmin"));
    admin.open(adminUrl());
    runDirect(admin, QStringLiteral("CREATE DATABASE %1").arg(name));
    m_serverDatabases << name;
    return withDatabase(adminUrl(), name);
}

TestDb::TestDb() : m_db(std::make_unique<Database>(QStringLiteral("testdb")))
{
    if (onServer()) {
        if (!serverUnavailable().isEmpty())
            throw std::runtime_error(serverUnavailable().toStdString());
        m_location = emptyServerDatabase();
    } else {
        m_location = m_dir.filePath(QStringLiteral("db.mdb"));
    }
    Database::create(m_location);
    m_db->open(m_location);
    if (!onServer())
        runDirect(*m_db, QStringLiteral("PRAGMA synchronous = OFF")); // arranging rows need not wait for the disk
}

TestDb::~TestDb()
{
    closeDm();
    m_db.reset();
    if (m_serverDatabases.isEmpty())
        return;
    try {
        Database admin(QStringLiteral("testadmin"));
        admin.open(adminUrl());
        for (const QString &name : m_serverDatabases)
            runDirect(admin, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    } catch (...) {
        // The server and its databases go when the test run ends.
    }
}

QString TestDb::path() const
{
    return m_location;
}

void TestDb::exec(const QString &sql, const QVariantList &values) const
{
    run(*m_db, sql, values);
}

QVariant TestDb::scalar(const QString &sql, const QVariantList &values) const
{
    QSqlQuery q = run(*m_db, sql, values);
    return q.next() ? q.value(0) : QVariant();
}

void TestDb::refuse(const QString &table, const QString &event) const
{
    const QString name = QStringLiteral("refuse_%1_%2").arg(table, event.toLower());
    if (!onServer()) {
        exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                 .arg(name, event, table));
        return;
    }
    exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS"
                        " $$ BEGIN RAISE EXCEPTION 'refused'; END $$")
             .arg(name));
    exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()")
             .arg(name, event, table));
}

void TestDb::fillSample() const
{
    exec("INSERT INTO category (catName) VALUES ('Бухгалтерия'), ('Игры'), ('Пустая')");
    exec("INSERT INTO years (name) VALUES ('2010'), ('2011')");
    exec("INSERT INTO ide (ide) VALUES ('Студия'), ('Редактор')");
    exec("INSERT INTO projects (cat_id, year_id, version_id, tovName, price, project_begin, project_end,"
         " datetime_update, description, path_repository, isExports, isExportsDesc) VALUES"
         " (1, 1, 1, 'Касса', 15005000, '2010-03-01', '2010-09-30', '2011-01-15', 'Учёт кассы', 'trunk/kassa', 1, 1),"
         " (1, 2, 2, 'Зарплата', 2500000, '2011-02-01', NULL, NULL, NULL, NULL, 1, 0),"
         " (2, 2, NULL, 'Тетрис', 999900, '2011-05-05', NULL, NULL, 'Игра', 'trunk/games/tetris', 0, 0),"
         " (1, 1, 1, 'Авансы', 12345678, '2010-01-10', NULL, NULL, NULL, NULL, 1, 0)");
    exec("INSERT INTO orders (project_id, date_orders, summ, comments) VALUES"
         " (1, '2011-02-01', 15005000, 'Первая'), (1, '2011-01-20', 14000000, NULL),"
         " (3, '2011-06-01', 999900, 'Игра продана')");
}

TDm *TestDb::openDm()
{
    closeDm();
    m_dm = new TDm(path());
    Dm = m_dm;
    return m_dm;
}

void TestDb::closeDm()
{
    if (Dm == m_dm)
        Dm = nullptr;
    delete m_dm;
    m_dm = nullptr;
}

QStringList moduleRows(const QString &sql)
{
    QSqlQuery q = Dm->ADOConnection->exec(sql);
    QStringList rows;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << (q.value(i).isNull() ? QStringLiteral("∅") : q.value(i).toString());
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}
