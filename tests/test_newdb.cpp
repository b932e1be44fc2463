// The database creation tool, run as the user runs it.

#include <QBuffer>
#include <QCryptographicHash>
#include <QDate>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString errors;
    QString out;
};

Run runTool(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(NEWDB_PATH), args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError()),
            QString::fromLocal8Bit(process.readAllStandardOutput())};
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One read connection per file, closed with the object.
class Db
{
public:
    explicit Db(const QString &path) : m_name(QStringLiteral("check-") + path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.open();
    }
    ~Db() { QSqlDatabase::removeDatabase(m_name); }

    QSqlQuery query(const QString &sql) const
    {
        QSqlQuery q(QSqlDatabase::database(m_name));
        if (!q.exec(sql))
            qWarning() << sql << q.lastError().text();
        return q;
    }
    QVariant scalar(const QString &sql) const
    {
        QSqlQuery q = query(sql);
        return q.next() ? q.value(0) : QVariant();
    }
    int count(const QString &sql) const { return scalar(sql).toInt(); }

    // Every row of the table, in key order, as one hash.
    QByteArray digest(const QString &table) const
    {
        QCryptographicHash hash(QCryptographicHash::Sha1);
        QSqlQuery q = query(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
        while (q.next())
            for (int i = 0; i < q.record().count(); ++i) {
                const QVariant v = q.value(i);
                hash.addData(v.typeId() == QMetaType::QByteArray ? v.toByteArray()
                                                                 : v.toString().toUtf8());
                hash.addData("\x1f");
            }
        return hash.result();
    }

private:
    QString m_name;
};

const QStringList Tables{"category", "years", "ide", "projects", "orders", "configs"};

} // namespace

class TestNewDb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void refusesBadArguments_data();
    void refusesBadArguments();
    void refusesExistingFile();
    void speaksRussian();
    void createsEmptyDatabase();

    void demoHasTheReferenceBooks();
    void demoCatalogueIsWithinRange();
    void demoScreenshotsAreBitmapsOfTheShownSize();
    void demoReferencesExist();
    void demoValuesAreWellFormed();
    void demoIsTheSameEveryRun();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_demo;
};

void TestNewDb::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_demo = path("demo.mdb");
    const Run run = runTool({m_demo, "--demo"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
}

void TestNewDb::refusesBadArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no path") << QStringList{};
    QTest::newRow("only the option") << QStringList{"--demo"};
    QTest::newRow("two paths") << QStringList{path("a.mdb"), path("b.mdb")};
    QTest::newRow("unknown option") << QStringList{path("a.mdb"), "--bogus"};
}

void TestNewDb::refusesBadArguments()
{
    QFETCH(QStringList, args);
    const Run run = runTool(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.errors.contains("Использование:"), qPrintable(run.errors));
    QVERIFY(!QFile::exists(path("a.mdb")));
    QVERIFY(!QFile::exists(path("b.mdb")));
}

void TestNewDb::refusesExistingFile()
{
    const QString existing = path("existing.mdb");
    {
        QFile f(existing);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not to be lost");
    }
    for (const QStringList &args : {QStringList{existing}, QStringList{existing, "--demo"}}) {
        const Run run = runTool(args);
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.errors.contains("уже существует"), qPrintable(run.errors));
        QCOMPARE(fileBytes(existing), QByteArray("not to be lost"));
    }
}

// Its help, its report and its refusals, like the program; only names,
// paths and options are Latin.
void TestNewDb::speaksRussian()
{
    const QString fresh = path("russian.mdb");
    const Run help = runTool({"--help"});
    const Run made = runTool({fresh});
    const Run refused = runTool({fresh});
    QCOMPARE(made.exitCode, 0);
    QString printed = help.out + made.out + refused.errors;
    printed.remove(QRegularExpression("\\S*[/@-]\\S*|PostgreSQL|QStandardPaths:[^\\n]*"));
    QVERIFY2(printed.contains("Использование:") && printed.contains("Создан"), qPrintable(printed));
    const QRegularExpressionMatch latin = QRegularExpression("[A-Za-z]{2,}").match(printed);
    QVERIFY2(!latin.hasMatch(), qPrintable(latin.captured() + " in:\n" + printed));
}

void TestNewDb::createsEmptyDatabase()
{
    const QString fresh = path("empty.mdb");
    QCOMPARE(runTool({fresh}).exitCode, 0);
    Db db(fresh);
    for (const QString &table : Tables)
        QCOMPARE(db.scalar("SELECT count(*) FROM " + table), QVariant(0));
}

void TestNewDb::demoHasTheReferenceBooks()
{
    Db db(m_demo);
    QCOMPARE(db.count("SELECT count(*) FROM category"), 8);
    QCOMPARE(db.count("SELECT count(*) FROM ide"), 6);
    QStringList years;
    QSqlQuery q = db.query("SELECT name FROM years ORDER BY name");
    while (q.next())
        years << q.value(0).toString();
    QCOMPARE(years, QStringList({"2005", "2006", "2007", "2008", "2009", "2010", "2011", "2012", "2013"}));
    QCOMPARE(db.count("SELECT count(*) FROM configs"), 0);
}

void TestNewDb::demoCatalogueIsWithinRange()
{
    Db db(m_demo);
    const int projects = db.count("SELECT count(*) FROM projects");
    QVERIFY2(projects >= 50 && projects <= 70, qPrintable(QString::number(projects)));
    const int orders = db.count("SELECT count(*) FROM orders");
    QVERIFY2(orders >= 200 && orders <= 600, qPrintable(QString::number(orders)));
    QCOMPARE(db.count("SELECT count(DISTINCT tovName) FROM projects"), projects);
    // Every category has something to show.
    QCOMPARE(db.count("SELECT count(DISTINCT cat_id) FROM projects"), 8);
}

void TestNewDb::demoScreenshotsAreBitmapsOfTheShownSize()
{
    Db db(m_demo);
    const int projects = db.count("SELECT count(*) FROM projects");
    QSqlQuery q = db.query("SELECT tovName, screenshots FROM projects WHERE screenshots IS NOT NULL");
    int pictures = 0;
    while (q.next()) {
        QByteArray bytes = q.value(1).toByteArray();
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        QCOMPARE(reader.format(), QByteArray("bmp"));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(q.value(0).toString()));
        QCOMPARE(image.size(), QSize(400, 315));
        ++pictures;
    }
    QVERIFY2(pictures >= projects / 4 && pictures <= projects / 2, qPrintable(QString::number(pictures)));
}

void TestNewDb::demoReferencesExist()
{
    Db db(m_demo);
    QCOMPARE(db.count("SELECT count(*) FROM orders o LEFT JOIN projects p ON p.project_id = o.project_id"
                      " WHERE p.project_id IS NULL"), 0);
    QCOMPARE(db.count("SELECT count(*) FROM projects p LEFT JOIN category c ON c.cat_id = p.cat_id"
                      " LEFT JOIN years y ON y.year_id = p.year_id"
                      " WHERE c.cat_id IS NULL OR y.year_id IS NULL"), 0);
    QCOMPARE(db.count("SELECT count(*) FROM projects p LEFT JOIN ide i ON i.version_id = p.version_id"
                      " WHERE p.version_id IS NOT NULL AND i.version_id IS NULL"), 0);
    // A project without an IDE version is a valid row the windows must cope with.
    const int withoutIde = db.count("SELECT count(*) FROM projects WHERE version_id IS NULL");
    QVERIFY(withoutIde > 0);
    QVERIFY(withoutIde < db.count("SELECT count(*) FROM projects") / 4);
}

void TestNewDb::demoValuesAreWellFormed()
{
    Db db(m_demo);
    QSqlQuery q = db.query("SELECT tovName, project_begin, project_end, datetime_update, description"
                           " FROM projects");
    while (q.next()) {
        const QString name = q.value(0).toString();
        const QDate begin = QDate::fromString(q.value(1).toString(), "yyyy-MM-dd");
        QVERIFY2(begin.isValid(), qPrintable(name));
        for (int column : {2, 3}) {
            if (q.isNull(column))
                continue;
            const QDate date = QDate::fromString(q.value(column).toString(), "yyyy-MM-dd");
            QVERIFY2(date.isValid() && date >= begin, qPrintable(name));
        }
        QVERIFY2(q.value(4).toString().count(". ") >= 1, qPrintable(name));
    }
    QCOMPARE(db.count("SELECT count(*) FROM orders o JOIN projects p ON p.project_id = o.project_id"
                      " WHERE date(o.date_orders) IS NULL OR o.date_orders < p.project_begin"), 0);
    // Sales spread over the years, for the sales analysis to show; none pile up on one day.
    QVERIFY(db.count("SELECT count(DISTINCT substr(date_orders, 1, 4)) FROM orders") >= 2);
    QVERIFY(db.count("SELECT max(n) FROM (SELECT count(*) AS n FROM orders GROUP BY date_orders)") <= 5);
    // Money is an exact integer count, and some prices have kopecks.
    QCOMPARE(db.count("SELECT count(*) FROM projects WHERE typeof(price) <> 'integer' OR price <= 0"), 0);
    QCOMPARE(db.count("SELECT count(*) FROM orders WHERE typeof(summ) <> 'integer' OR summ <= 0"), 0);
    QVERIFY(db.count("SELECT count(*) FROM projects WHERE price % 10000 <> 0") > 0);
    // Both states of each flag and of the optional columns occur.
    for (const char *column : {"isExports", "isExportsDesc"})
        QCOMPARE(db.count(QString("SELECT count(DISTINCT %1) FROM projects").arg(column)), 2);
    for (const char *column : {"project_end", "datetime_update", "path_repository"})
        QVERIFY(db.count(QString("SELECT count(*) FROM projects WHERE %1 IS NULL").arg(column)) > 0);
    QCOMPARE(db.count("SELECT count(*) FROM projects WHERE path_repository NOT LIKE 'trunk/%/%'"), 0);
    QVERIFY(db.count("SELECT count(*) FROM orders WHERE comments IS NULL") > 0);
    QVERIFY(db.count("SELECT count(*) FROM orders WHERE comments <> ''") > 0);
}

void TestNewDb::demoIsTheSameEveryRun()
{
    const QString again = path("again.mdb");
    QCOMPARE(runTool({again, "--demo"}).exitCode, 0);
    Db first(m_demo), second(again);
    for (const QString &table : Tables)
        QVERIFY2(first.digest(table) == second.digest(table), qPrintable(table));
}

QTEST_GUILESS_MAIN(TestNewDb)
#include "test_newdb.moc"
