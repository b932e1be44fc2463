// Money and the row-filter language, without a database.
#include "data/dataset/Dataset.h"
#include "data/engine/Engine.h"
#include "data/dataset/FilterExpression.h"
#include "data/core/Money.h"

#include <QtTest>

namespace {

// A dataset shell that only provides fields for the filter to resolve.
class Fields : public Dataset
{
public:
    Fields() : Dataset(nullptr, QStringLiteral("fields"))
    {
        addField(QStringLiteral("project_id"), FieldType::AutoInc);
        addField(QStringLiteral("tovName"), FieldType::Text, 100);
        addField(QStringLiteral("price"), FieldType::Money);
        addField(QStringLiteral("project_begin"), FieldType::DateTime);
        addField(QStringLiteral("isExports"), FieldType::Boolean);
    }

protected:
    RowStore fetch() override { return {}; }
};

// The same fields over rows of its own, for sorting.
class Rows : public Fields
{
public:
    QVector<Row> rows;

protected:
    RowStore fetch() override { return rows; }
};

bool matches(const QString &filter, const QHash<QString, QVariant> &row)
{
    static Fields fields;
    auto expr = FilterExpression::parse(filter, [](const QString &c) { return fields.findField(c); });
    return expr->matches([&row](const Field *f) { return row.value(f->name()); });
}

QHash<QString, QVariant> project(int id, const QString &name, qlonglong priceUnits)
{
    return {{"project_id", id}, {"tovName", name}, {"price", priceUnits},
            {"project_begin", QDate(2011, 5, 5)}, {"isExports", true}};
}

} // namespace

class TestDataValues : public QObject
{
    Q_OBJECT
private slots:
    // The compact rows give back every value as it went in, of the same
    // type, through replacing and removing rows.
    void heldRowsKeepEveryValueAndItsType()
    {
        const Row first{1, qlonglong(1) << 40, QString("Учёт"), QString(), QString(""), QDate(2012, 2, 29),
                        QDateTime(QDate(2012, 3, 1), QTime(10, 5)), true, 2.5, QVariant(), QByteArray("x")};
        const Row second{2, qlonglong(-3), QString("Склад"), QVariant(), QString("a"), QDate(), QVariant(),
                         false, QVariant(), QVariant(), QVariant()};
        RowStore rows(QVector<Row>{first, second, first});
        const auto same = [&](int row, const Row &expected) {
            const Row held = rows.row(row, int(expected.size()));
            for (int s = 0; s < expected.size(); ++s) {
                QCOMPARE(held[s].typeId(), expected[s].typeId());
                QCOMPARE(held[s].isNull(), expected[s].isNull());
                QCOMPARE(held[s].toString().isNull(), expected[s].toString().isNull());
                QCOMPARE(held[s], expected[s]);
            }
        };
        same(0, first);
        same(1, second);
        QCOMPARE(rows.textAt(1, 2), QStringView(u"Склад"));
        rows.set(0, second);
        rows.remove(1);
        QCOMPARE(rows.size(), 2);
        same(0, second);
        same(1, first);
        QVERIFY(rows == RowStore(QVector<Row>{second, first}));
        QVERIFY(rows != RowStore(QVector<Row>{second, second}));
        QVERIFY(!rows.value(5, 0).isValid());
    }

    void moneyParsesBothSeparatorsExactly()
    {
        QCOMPARE(Money::parse("1234.5678")->units(), 12345678LL);
        QCOMPARE(Money::parse("1234,5678")->units(), 12345678LL);
        QCOMPARE(Money::parse(" 12 ")->units(), 120000LL);
        QCOMPARE(Money::parse("-0,0001")->units(), -1LL);
        QCOMPARE(Money::parse(".5")->units(), 5000LL);
        QCOMPARE(Money::parse("922337203685477.5807")->units(), 9223372036854775807LL);
    }

    void moneyRefusesWhatIsNoAmount()
    {
        for (const char *bad : {"", "abc", "1.23456", "1.2.3", "12a", "-", ",", "99999999999999999999"})
            QVERIFY2(!Money::parse(QString::fromLatin1(bad)), bad);
    }

    void moneyTextHasNoTrailingZeros()
    {
        QCOMPARE(Money::fromUnits(12345678).toString(), QString("1234.5678"));
        QCOMPARE(Money::fromUnits(100000).toString(), QString("10"));
        QCOMPARE(Money::fromUnits(5000).toString(), QString("0.5"));
        QCOMPARE(Money::fromUnits(-15000).toString(QChar(',')), QString("-1,5"));
        QCOMPARE(Money::fromUnits(std::numeric_limits<qint64>::min()).toString(),
                 QString("-922337203685477.5808"));
        QCOMPARE(Money::parse(Money::fromUnits(-7).toString())->units(), -7LL);
    }

    void filterComparesQuotedNumbersAsNumbers()
    {
        const auto row = project(7, "Касса", 15005000); // 1500.5
        QVERIFY(matches("project_id='7'", row));
        QVERIFY(matches("project_id='007'", row));
        QVERIFY(!matches("project_id='70'", row));
        QVERIFY(matches("price>='1000'", row));
        QVERIFY(matches("price<='1500.5'", row));
        QVERIFY(!matches("price<'1500.5'", row));
        QVERIFY(matches("price<>'0'", row));
        QVERIFY(!matches("price='1500'", row)); // kopecks count
        QVERIFY(matches("price > 9", row));
    }

    void filterLikeMatchesAnywhereIgnoringCase()
    {
        const auto row = project(1, "xАбвx", 0);
        QVERIFY(matches("tovName LIKE '%абв%'", row));
        QVERIFY(matches("tovName LIKE 'x%'", row));
        QVERIFY(!matches("tovName LIKE 'А%'", row));
        // Only % is a wildcard; _ and * stand for themselves.
        QVERIFY(!matches("tovName LIKE 'x_бвx'", row));
        QVERIFY(!matches("tovName LIKE '%x_б%'", row));
        QVERIFY(!matches("tovName LIKE 'x*'", row));
        QVERIFY(matches("tovName LIKE '%a_b%'", project(2, "Tool a_b", 0)));
        QVERIFY(matches("tovName LIKE '%'", row));
        QVERIFY(!matches("tovName LIKE '%.%'", row)); // regex characters are literal
        QVERIFY(matches("tovName = 'XАБВX'", row));
    }

    void filterCombinesCriteria()
    {
        const auto row = project(3, "Тетрис", 999900);
        QVERIFY(matches("tovName LIKE '%тет%' AND project_id='3' AND price>='99'", row));
        QVERIFY(!matches("tovName LIKE '%тет%' AND project_id='4'", row));
        QVERIFY(matches("project_id='4' OR project_id='3'", row));
        QVERIFY(matches("(project_id='4' OR project_id='3') AND NOT price='0'", row));
        QVERIFY(matches("project_begin >= '01.01.2011' AND isExports = 'True'", row));
    }

    // The sort and the filter order values alike: what sorts first, the
    // filter calls smaller than what sorts last (a Yes/No once sorted as 1
    // and compared as -1).
    void sortAndFilterOrderValuesAlike_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QStringList>("constants"); // the values as the filter writes them
        QTest::newRow("Yes/No") << "isExports" << QVariantList{false, true} << QStringList{"False", "True"};
        QTest::newRow("money") << "price" << QVariantList{qlonglong(20000), qlonglong(-5000)}
                               << QStringList{"2", "-0,5"};
        QTest::newRow("date") << "project_begin" << QVariantList{QDate(2011, 5, 5), QDate(2010, 1, 1)}
                              << QStringList{"05.05.2011", "01.01.2010"};
    }

    void sortAndFilterOrderValuesAlike()
    {
        QFETCH(QString, field);
        QFETCH(QVariantList, values);
        QFETCH(QStringList, constants);
        Rows ds;
        const Field *f = ds.findField(field);
        for (const QVariant &v : values) {
            Row row(ds.fieldCount() + 1);
            row[f->index()] = v;
            ds.rows << row;
        }
        ds.open();
        ds.setSort(field + " ASC");
        ds.first();
        const QVariant first = ds.currentValue(f);
        ds.last();
        const QString last = constants.at(values.indexOf(ds.currentValue(f)));
        QVERIFY(matches(QStringLiteral("%1 < '%2'").arg(field, last), {{field, first}}));
    }

    // A search for a part of the names looks through all of them at once: a
    // part that only spans two neighbouring names is no match.
    void aPartOfANameMatchesWithinOneName()
    {
        Rows ds;
        const Field *name = ds.findField("tovName");
        for (const QVariant &v : {QVariant("Ёлка 9"), QVariant("9 Шкаф"), QVariant(), QVariant(""),
                                  QVariant("ёЛКА 99"), QVariant("9"), QVariant("9ёлка")}) {
            Row row(ds.fieldCount() + 1);
            row[name->index()] = v;
            ds.rows << row;
        }
        ds.open();
        const auto found = [&](const QString &filter) {
            ds.setFilter(filter);
            ds.setFiltered(true);
            QStringList names;
            for (int r = 0; r < ds.recordCount(); ++r)
                names << ds.valueAt(r, name).toString();
            return names;
        };
        QCOMPARE(found("tovName LIKE '%99%'"), QStringList{"ёЛКА 99"});
        QCOMPARE(found("tovName LIKE '%9ё%'"), QStringList{"9ёлка"});
        QCOMPARE(found("tovName LIKE '%ЁЛКА%'"), (QStringList{"Ёлка 9", "ёЛКА 99", "9ёлка"}));
        QCOMPARE(found("tovName NOT LIKE '%9%'"), QStringList{""});
    }

    void emptyValuesMatchNoComparison()
    {
        QHash<QString, QVariant> row{{"project_id", 1}, {"tovName", QVariant()}, {"price", QVariant()}};
        QVERIFY(!matches("price<>'0'", row));
        QVERIFY(!matches("tovName LIKE '%'", row));
        QVERIFY(matches("price IS NULL", row));
    }

    // A schema script splits at the semicolons that end statements, not at
    // those inside a trigger's body (with a CASE ... END in it), a server
    // function's dollar-quoted body, a quoted text or a comment.
    void schemaScriptsSplitIntoWholeStatements()
    {
        const QString script = QStringLiteral(
            "CREATE TABLE t (a TEXT CHECK (a <> ';')); -- a comment; with a semicolon\n"
            "CREATE TRIGGER r AFTER INSERT ON t\nBEGIN\n"
            "    UPDATE t SET a = CASE WHEN a = 'end' THEN 'x' END;\n    DELETE FROM t;\nEND;\n"
            "CREATE FUNCTION f() RETURNS void LANGUAGE plpgsql AS $body$ BEGIN PERFORM 1; END $body$;\n"
            "DO $$ BEGIN NULL; END $$");
        const QStringList statements = splitStatements(script);
        QCOMPARE(statements.size(), 4);
        QCOMPARE(statements.at(0), QStringLiteral("CREATE TABLE t (a TEXT CHECK (a <> ';'))"));
        QVERIFY(statements.at(1).endsWith(QStringLiteral("DELETE FROM t;\nEND")));
        QVERIFY(statements.at(2).endsWith(QStringLiteral("PERFORM 1; END $body$")));
        QCOMPARE(statements.at(3), QStringLiteral("DO $$ BEGIN NULL; END $$"));
    }

    void filterRefusesWhatDoesNotParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophe in value") << "tovName LIKE '%O'Brien%'";
        QTest::newRow("unknown column") << "cost='1'";
        QTest::newRow("open quote") << "tovName='abc";
        QTest::newRow("number column, text value") << "price>='abc'";
        QTest::newRow("missing value") << "project_id=";
        QTest::newRow("dangling AND") << "project_id='1' AND";
        QTest::newRow("unbalanced") << "(project_id='1'";
    }

    void filterRefusesWhatDoesNotParse()
    {
        QFETCH(QString, text);
        try {
            matches(text, project(1, "a", 0));
            QFAIL("the filter was accepted");
        } catch (const DataError &e) {
            QCOMPARE(e.kind(), DataError::Kind::Filter);
            QVERIFY(!e.text().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestDataValues)
#include "test_data_values.moc"
