// The catalogue tools, run as the user runs them: projectsales-newdb URL and
// projectsales-copy FROM TO, on the PostgreSQL test server and on a damaged file.

#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "support/TestDb.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out, errors;
};

Run runTool(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

const QStringList Tables{"category", "years", "ide", "projects", "orders", "configs", "sqlite_sequence",
                         "trail_bin", "trail_bin_projects", "trail_bin_orders", "trail_history"};

// Every row of a table of a file, in order, as one hash.
QByteArray digest(const Database &db, const QString &table)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(table));
    while (q.next())
        for (int i = 0; i < q.record().count(); ++i) {
            const QVariant v = q.value(i);
            hash.addData(v.isNull() ? QByteArray("<null>")
                         : v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8());
            hash.addData("\x1f");
        }
    return hash.result();
}

qlonglong count(const Database &db, const QString &sql)
{
    QSqlQuery q = db.exec(sql);
    return q.next() ? q.value(0).toLongLong() : -1;
}

} // namespace

class TestCopy : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void init()
    {
        if (QByteArray(QTest::currentTestFunction()) == "aDamagedFileIsNotCopied")
            return;
        REQUIRE_PACKAGE(TestDb::serverUnavailable().isEmpty(), TestDb::serverUnavailable());
    }

    // One page of the projects' rows overwritten: the rows before it read
    // fine, so a copy that does not look for the damage copies part of them.
    void aDamagedFileIsNotCopied()
    {
        const QString source = dir.filePath("damaged.mdb");
        QCOMPARE(runTool(NEWDB_PATH, {source, "--demo"}).exitCode, 0);
        qint64 page = 0, pageSize = 0;
        {
            Database db;
            db.open(source);
            page = count(db, "SELECT pageno FROM dbstat WHERE name = 'projects' AND pagetype = 'leaf'"
                             " ORDER BY pageno LIMIT 1 OFFSET 1");
            pageSize = count(db, "PRAGMA page_size");
        }
        QVERIFY(page > 1);
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek((page - 1) * pageSize));
        QCOMPARE(file.write(QByteArray(int(pageSize), '\xff')), pageSize);
        file.close();

        const QString target = dir.filePath("copy-of-damaged.mdb");
        const Run run = runTool(COPY_PATH, {source, target});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains("поврежден: копирование не начато"), qPrintable(run.errors));
        QVERIFY2(!run.out.contains("скопирован"), qPrintable(run.out));
        QVERIFY(!QFileInfo::exists(target));
    }

    void newdbMakesTheTablesOnceOnAnEmptyServerDatabase()
    {
        TestDb admin;
        const QString url = admin.emptyServerDatabase();
        Run run = runTool(NEWDB_PATH, {url, "--demo"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        {
            Database db;
            db.open(url);
            QVERIFY(count(db, "SELECT count(*) FROM projects WHERE screenshots IS NOT NULL") > 0);
            QCOMPARE(count(db, "SELECT count(DISTINCT tovName) FROM projects"),
                     count(db, "SELECT count(*) FROM projects"));
        }
        run = runTool(NEWDB_PATH, {url});
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.errors.contains("уже есть таблицы"), qPrintable(run.errors));
    }

    void aRoundTripThroughTheServerGivesIdenticalRows()
    {
        TestDb admin;
        const QString source = dir.filePath("source.mdb");
        QCOMPARE(runTool(NEWDB_PATH, {source, "--demo"}).exitCode, 0);
        qlonglong lastProject = 0;
        {
            Database db;
            db.open(source);
            db.exec("INSERT INTO configs (repository_ip, path_TortoiseSVN) VALUES ('10.0.0.7', 'C:\\svn')");
            db.exec("UPDATE projects SET price = 9223372036854775807 WHERE project_id = 1"); // the largest sum
            // The last key is gone from the rows but must not be handed out again.
            lastProject = count(db, "SELECT max(project_id) FROM projects");
            db.exec("DELETE FROM orders WHERE project_id = :p", {{"p", lastProject}});
            db.exec("DELETE FROM projects WHERE project_id = :p", {{"p", lastProject}});
            // Each sale rewrites its month's total as it goes in.
            db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
                    " INSERT INTO orders (project_id, date_orders, summ) SELECT 1, '2011-03-01', 10000 FROM n");
        }
        const QString server = admin.emptyServerDatabase();
        Run run = runTool(COPY_PATH, {source, server});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QVERIFY2(run.out.contains("projects: строк ") && run.out.contains("проверено"), qPrintable(run.out));

        run = runTool(COPY_PATH, {source, server});
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.errors.contains("не пуст"), qPrintable(run.errors));
        {
            Database db;
            db.open(server);
            QCOMPARE(db.engine().lastKey(db, "projects", "project_id"), lastProject);
            // Left in its versions, the summary would hold a page for every 100 sales.
            QVERIFY(count(db, "SELECT pg_relation_size('sales_month')") <= 16384);
        }

        const QString back = dir.filePath("back.mdb");
        run = runTool(COPY_PATH, {server, back});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        Database a, b;
        a.open(source);
        b.open(back);
        for (const QString &table : Tables)
            QVERIFY2(digest(a, table) == digest(b, table), qPrintable(table));
    }

    // A legacy Access catalogue converts into a file and onto the server alike;
    // one whose rows break the catalogue's rules stops with their list, or
    // converts with --repair.
    void aLegacyFileConvertsToAFileAndToTheServer()
    {
        TestDb admin;
        const QString legacy = QStringLiteral(JET_FIXTURES "/legacy.mdb");
        const QString file = dir.filePath("converted.mdb");
        Run run = runTool(COPY_PATH, {legacy, file});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QVERIFY2(run.out.contains("Продажи: строк 4, проверено"), qPrintable(run.out));
        const QString server = admin.emptyServerDatabase();
        run = runTool(COPY_PATH, {legacy, server});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        {
            Database a, b;
            a.open(file);
            b.open(server);
            for (const char *table : {"category", "years", "ide", "projects", "orders"})
                QVERIFY2(digest(a, table) == digest(b, table), qPrintable(table));
            QCOMPARE(count(b, "SELECT price FROM projects WHERE project_id = 3"), std::numeric_limits<qlonglong>::max());
            QCOMPARE(count(b, "SELECT sum(sales) FROM sales_month"), 4);
            QCOMPARE(b.engine().lastKey(b, "category", "cat_id"), 4);
        }

        const QString edge = QStringLiteral(JET_FIXTURES "/legacy-edge.mdb");
        const QString refused = dir.filePath("refused.mdb");
        run = runTool(COPY_PATH, {edge, refused});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains("Проекты, код 1, поле cat_id = 99: нет категории с кодом 99"), qPrintable(run.errors));
        QVERIFY(!QFileInfo::exists(refused));
        const QString repaired = admin.emptyServerDatabase();
        run = runTool(COPY_PATH, {"--repair", edge, repaired});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QVERIFY2(run.out.contains("создан проект «(нет) проект 42» с кодом 42"), qPrintable(run.out));
        Database db;
        db.open(repaired);
        QCOMPARE(count(db, "SELECT count(*) FROM category WHERE cat_id = 99 AND catName = '(нет)'"), 1);
        QCOMPARE(count(db, "SELECT length(description) FROM projects WHERE project_id = 1"), 120000);
    }
};

QTEST_GUILESS_MAIN(TestCopy)
#include "test_copy.moc"
