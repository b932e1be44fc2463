#include "TestDb.h"

#include "data/Database.h"
#include "data/DataError.h"
#include "data/UnitDM.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <stdexcept>

TestDb::TestDb()
{
    static std::atomic<int> counter{0};
    m_connection = QStringLiteral("testdb_%1").arg(++counter);
    Database::create(path());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path());
    db.open();
    QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous = OFF")); // arranging rows need not wait for the disk
}

TestDb::~TestDb()
{
    closeDm();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString TestDb::path() const
{
    return m_dir.filePath(QStringLiteral("db.mdb"));
}

namespace {

QSqlQuery run(const QString &connection, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(QSqlDatabase::database(connection));
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw std::runtime_error((sql + QLatin1String(": ") + q.lastError().text()).toStdString());
    return q;
}

} // namespace

void TestDb::exec(const QString &sql, const QVariantList &values) const
{
    run(m_connection, sql, values);
}

QVariant TestDb::scalar(const QString &sql, const QVariantList &values) const
{
    QSqlQuery q = run(m_connection, sql, values);
    return q.next() ? q.value(0) : QVariant();
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
