// Converting a legacy Access catalogue in its folder: every value exactly,
// the rows the rules refuse listed and repaired, and nothing half-written.

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/legacy/LegacyConversion.h"
#include "data/legacy/LegacyReplacement.h"
#include "data/legacy/LegacyRules.h"
#include "support/LegacyFixtures.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A stored value in the form of the fixtures' .expected files, told by the
// column's kind and by the type SQLite stored it as.
QString canonical(LegacyRules::Kind kind, const QVariant &v, const QString &storedType)
{
    using LegacyRules::Kind;
    if (storedType == QLatin1String("null"))
        return QStringLiteral("\\N");
    switch (kind) {
    case Kind::Money:
        return expectedMoney(v.toLongLong());
    case Kind::Date:
        return v.toString().size() == 10 ? v.toString() + QStringLiteral(" 00:00:00") : v.toString();
    case Kind::Memo:
        return expectedMemo(v.toString());
    case Kind::Picture:
        return expectedOle(v.toByteArray());
    case Kind::Name:
    case Kind::Text:
        return expectedText(v.toString());
    default:
        return storedType == QLatin1String("integer") ? v.toString() : QStringLiteral("<%1>").arg(storedType);
    }
}

// The catalogue's rows of a table in that form, in key order.
QStringList stored(const Database &db, const QString &table)
{
    const LegacyRules::Table &t = LegacyRules::table(table);
    QStringList selected;
    for (const auto &c : t.columns)
        selected << c.name << QStringLiteral("typeof(%1)").arg(c.name);
    QSqlQuery q = db.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(selected.join(", "), table));
    QStringList lines;
    while (q.next()) {
        QString line = table;
        for (int i = 0; i < t.columns.size(); ++i)
            line += QStringLiteral("|%1=%2").arg(t.columns[i].name,
                                                  canonical(t.columns[i].kind, q.value(2 * i), q.value(2 * i + 1).toString()));
        lines << line;
    }
    return lines;
}

qint64 scalar(const Database &db, const QString &sql)
{
    QSqlQuery q = db.exec(sql);
    return q.next() ? q.value(0).toLongLong() : -1;
}

// A legacy file copied into a folder of its own as db.mdb.
struct LegacyFolder {
    QTemporaryDir dir;
    QString path;
    explicit LegacyFolder(const QString &name) : path(dir.filePath(QStringLiteral("db.mdb")))
    {
        QFile::copy(jetFixture(name), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
};

} // namespace

class TestDataLegacy : public QObject
{
    Q_OBJECT

private slots:
    void convertsEveryValueExactly();
    void refusedRowsAreListedThenRepaired();
    void cancelledConversionLeavesTheFolderAsItWas();
};

void TestDataLegacy::convertsEveryValueExactly()
{
    LegacyFolder f(QStringLiteral("legacy.mdb"));
    const QByteArray original = bytesOf(f.path);
    LegacyReplacement replacement(f.path);
    QVERIFY(replacement.conversion().check());
    QVERIFY(replacement.conversion().problems().isEmpty());
    QVERIFY(replacement.convert({}));

    QCOMPARE(bytesOf(replacement.keptAs()), original);
    QCOMPARE(QFileInfo(replacement.keptAs()).fileName(), QStringLiteral("db.mdb.access"));
    QVERIFY(!QFileInfo::exists(replacement.reportPath())); // nothing to report
    Database db;
    db.open(f.path);
    QStringList read;
    for (const char *t : {"category", "years", "ide", "projects", "orders", "configs"})
        read << stored(db, t);
    const QStringList expected =
        QString::fromUtf8(bytesOf(jetFixture(QStringLiteral("legacy.expected")))).split('\n', Qt::SkipEmptyParts);
    for (int i = 0; i < qMax(read.size(), expected.size()); ++i)
        QCOMPARE(read.value(i), expected.value(i));
    QSqlQuery picture = db.exec("SELECT screenshots FROM projects WHERE project_id = 1");
    QVERIFY(picture.next());
    QCOMPARE(picture.value(0).toByteArray(), bytesOf(jetFixture(QStringLiteral("legacy.expected.big.bmp"))));

    // The key counters go on past the last key handed out, the deleted one's gap kept.
    QCOMPARE(scalar(db, "SELECT seq FROM sqlite_sequence WHERE name = 'category'"), 4);
    QCOMPARE(scalar(db, "SELECT seq FROM sqlite_sequence WHERE name = 'orders'"), 4);
    // The sales summary holds what the sales add up to, no more, no less.
    const QString summed = "SELECT COALESCE(substr(o.date_orders, 1, 7), ''), COALESCE(p.cat_id, 0), COUNT(*),"
                           " COUNT(o.summ), SUM(o.summ >> 32), SUM(o.summ & 4294967295) FROM orders o"
                           " LEFT JOIN projects p USING (project_id) GROUP BY 1, 2";
    const QString kept = "SELECT month, cat_id, sales, summed, summ_hi, summ_lo FROM sales_month";
    QCOMPARE(scalar(db, QString("SELECT count(*) FROM (%1 EXCEPT %2)").arg(kept, summed)), 0);
    QCOMPARE(scalar(db, QString("SELECT count(*) FROM (%1 EXCEPT %2)").arg(summed, kept)), 0);
    QCOMPARE(scalar(db, "SELECT sum(sales) FROM sales_month"), 4);
    // The converted rows are no changes; the history records the first one.
    QCOMPARE(scalar(db, "SELECT count(*) FROM trail_history"), 0);
    db.exec("UPDATE projects SET price = 1 WHERE project_id = 1");
    QCOMPARE(scalar(db, "SELECT count(*) FROM trail_history WHERE field = 'price'"), 1);
    // The bin starts empty and takes the first delete; the list's index
    // comes back after the load.
    QCOMPARE(scalar(db, "SELECT count(*) FROM trail_bin"), 0);
    db.exec("DELETE FROM orders WHERE order_id = 1");
    QCOMPARE(scalar(db, "SELECT count(*) FROM trail_bin_orders"), 1);
    QCOMPARE(scalar(db, "SELECT count(*) FROM sqlite_master WHERE name = 'projects_list'"), 1);
}

void TestDataLegacy::refusedRowsAreListedThenRepaired()
{
    LegacyFolder f(QStringLiteral("legacy-edge.mdb"));
    const auto before = folderState(f.dir.path());
    LegacyReplacement replacement(f.path);
    QVERIFY(replacement.conversion().check());
    const QStringList expected{
        "Категории, код 1, поле catName = NULL: название не задано → названо «Без названия 1»",
        "Проекты, код 1, поле cat_id = 99: нет категории с кодом 99 → создана категория «(нет)» с кодом 99",
        "Проекты, код 1, поле year_id = NULL: год разработки не указан → создан год разработки «нет» с кодом 2"
        " — для всех записей, где ссылки нет",
        "Проекты, код 2, поле tovName = NULL: название не задано → названо «Без названия 1»",
        "Продажи, код 1, поле project_id = 42: нет проекта с кодом 42 → создан проект «(нет) проект 42» с кодом 42"};
    QCOMPARE(legacyProblemLines(replacement.conversion().problems()), expected);
    QCOMPARE(folderState(f.dir.path()), before); // stopping here writes nothing

    QVERIFY(replacement.convert({}));
    QCOMPARE(bytesOf(replacement.keptAs()), bytesOf(jetFixture(QStringLiteral("legacy-edge.mdb"))));
    const QString report = QString::fromUtf8(bytesOf(replacement.reportPath()));
    for (const QString &line : expected)
        QVERIFY2(report.contains(line), qPrintable(report));
    QVERIFY2(report.contains("Проекты, код 2: снимок экрана извлечён из объекта OLE «Package» (файл «shot.bmp»)"),
             qPrintable(report));

    Database db;
    db.open(f.path);
    const QStringList categories = stored(db, "category");
    QCOMPARE(categories.first(), QStringLiteral("category|cat_id=1|catName='Без названия 1'"));
    QCOMPARE(categories.last(), QStringLiteral("category|cat_id=99|catName='(нет)'"));
    QCOMPARE(stored(db, "years").last(), QStringLiteral("years|year_id=2|name='нет'"));
    QSqlQuery p = db.exec("SELECT project_id, cat_id, year_id, tovName, length(description), typeof(screenshots),"
                          " length(screenshots) FROM projects ORDER BY project_id");
    const QStringList projects{"1|99|2|Эмодзи 😀 проект|120000|blob|0", "2|2|1|Без названия 1|0|blob|3654",
                               "3|2|1|" + QString(100, QChar(0x41F)) + "||blob|3654", "42|99|2|(нет) проект 42||null|"};
    for (const QString &row : projects) {
        QVERIFY(p.next());
        QStringList values;
        for (int i = 0; i < 7; ++i)
            values << p.value(i).toString();
        QCOMPARE(values.join('|'), row);
    }
    QCOMPARE(scalar(db, "SELECT length(comments) FROM orders WHERE project_id = 42"), 255);
    QSqlQuery unwrapped = db.exec("SELECT screenshots FROM projects WHERE project_id = 2");
    QVERIFY(unwrapped.next());
    QCOMPARE(unwrapped.value(0).toByteArray(), bytesOf(jetFixture("legacy-edge.expected.packaged.bin")).mid(141, 3654));
    QCOMPARE(scalar(db, "SELECT seq FROM sqlite_sequence WHERE name = 'category'"), 99);
    QCOMPARE(scalar(db, "SELECT seq FROM sqlite_sequence WHERE name = 'projects'"), 42);
}

void TestDataLegacy::cancelledConversionLeavesTheFolderAsItWas()
{
    LegacyFolder f(QStringLiteral("legacy.mdb"));
    const auto before = folderState(f.dir.path());
    LegacyReplacement replacement(f.path);
    qint64 checked = 0;
    QVERIFY(replacement.conversion().check([&](qint64 done, qint64) { return (checked = done), true; }));
    qint64 seen = 0;
    QVERIFY(!replacement.convert([&](qint64 done, qint64) {
        seen = done;
        return done < checked + 10; // among the projects
    }));
    QVERIFY(seen > checked);
    QCOMPARE(folderState(f.dir.path()), before);
}

QTEST_GUILESS_MAIN(TestDataLegacy)
#include "test_data_legacy.moc"
