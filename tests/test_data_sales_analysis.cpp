// The sales totals of the analysis window, on a small catalogue whose results
// are counted by hand: period edges, an empty range, a category without
// sales, exact money.
#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/sales/SalesAnalysis.h"
#include "data/module/UnitDM.h"
#include "support/TestDb.h"

#include <QSqlQuery>
#include <QThread>
#include <QtTest>

namespace {

using PeriodRow = std::tuple<QString, qint64, Money>; // period label, sales, sum

QList<PeriodRow> rows(const SalesReport &r, SalesPeriod period)
{
    QList<PeriodRow> out;
    for (const SalesTotal &t : r.periods)
        out.append({SalesAnalysis::periodLabel(t.periodStart, period), t.count, t.sum});
    return out;
}

Money units(qint64 n)
{
    return Money::fromUnits(n);
}

QStringList topNames(const SalesReport &r)
{
    QStringList out;
    for (const TopProject &p : r.topProjects)
        out << QStringLiteral("%1/%2/%3/%4").arg(p.name, p.category).arg(p.count).arg(p.sum.units());
    return out;
}

QStringList rowsOf(const Database &db, const QString &sql)
{
    QSqlQuery q = db.exec(sql);
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < 6; ++i)
            values << q.value(i).toString();
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

// The monthly totals as kept, and as the sales themselves give them.
QStringList monthlyTotals(const Database &db)
{
    return rowsOf(db, "SELECT month, cat_id, sales, summed, summ_hi, summ_lo FROM sales_month ORDER BY month, cat_id");
}

QStringList monthlyTotalsOfTheSales(const Database &db)
{
    return rowsOf(db, "SELECT month, cat_id, COUNT(*), COUNT(summ),"
                      " COALESCE(SUM(summ >> 32), 0), COALESCE(SUM(summ & 4294967295), 0) FROM ("
                      " SELECT COALESCE(substr(o.date_orders, 1, 7), '') AS month, COALESCE(p.cat_id, 0) AS cat_id,"
                      " o.summ AS summ FROM orders o LEFT JOIN projects p ON p.project_id = o.project_id) s"
                      " GROUP BY month, cat_id ORDER BY month, cat_id");
}

// What a catalogue made by an older program lacks.
void dropMonthlyTotals(const TestDb &db)
{
    db.exec("DROP INDEX orders_project_id");
    db.exec("CREATE INDEX orders_project_id ON orders (project_id)");
    if (TestDb::onServer()) {
        db.exec("DROP TABLE sales_month");
        db.exec("DROP FUNCTION sales_month_add, sales_month_move, sales_month_sale, orders_sales_month,"
                " projects_sales_month CASCADE");
        return;
    }
    for (const char *type : {"trigger", "view", "table"}) {
        Database file;
        file.open(db.path());
        QSqlQuery q = file.exec("SELECT name FROM sqlite_master WHERE name LIKE '%sales_month%' AND type = :type",
                                {{"type", type}});
        QStringList names;
        while (q.next())
            names << q.value(0).toString();
        q = QSqlQuery();
        file.close();
        for (const QString &name : names)
            db.exec(QStringLiteral("DROP %1 %2").arg(type, name));
    }
}

// A summary of an older program: on the server, a sale read its project's
// category without waiting for a move of the project in progress; in a file,
// a trigger was lost to another tool. And its totals drifted.
void makeOlderSummary(const TestDb &db)
{
    if (TestDb::onServer())
        db.exec("CREATE OR REPLACE FUNCTION sales_month_sale(p_project INTEGER, p_date TEXT, p_summ BIGINT,"
                " p_sign INTEGER) RETURNS void LANGUAGE plpgsql AS $$ BEGIN"
                " PERFORM sales_month_add(COALESCE(substr(p_date, 1, 7), ''),"
                " COALESCE((SELECT cat_id FROM projects WHERE project_id = p_project), 0),"
                " p_sign, CASE WHEN p_summ IS NULL THEN 0 ELSE p_sign END,"
                " p_sign * COALESCE(p_summ >> 32, 0), p_sign * COALESCE(p_summ & 4294967295, 0)); END $$");
    else
        db.exec("DROP TRIGGER orders_sales_month_insert");
    db.exec("UPDATE sales_month SET sales = sales + 5");
}

// Runs first inside a transaction of one session and, while that is open,
// second in another session on a thread of its own; commits the first once
// the second has had time to go through or to wait for it.
void interleave(const QString &location, const char *first, const char *second)
{
    QString failure;
    std::unique_ptr<QThread> other(QThread::create([&] {
        try {
            Database two(QStringLiteral("second"));
            two.open(location);
            two.exec(QLatin1String(second));
        } catch (const DataError &e) {
            failure = e.text();
        }
    }));
    Database one(QStringLiteral("first"));
    one.open(location);
    one.transaction([&] {
        one.exec(QLatin1String(first));
        other->start();
        other->wait(400);
    });
    other->wait();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

qint64 allSumm()
{
    Dm->sqlStateOrders->close();
    Dm->sqlStateOrders->open();
    return Dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units();
}

} // namespace

class TestDataSalesAnalysis : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<SalesAnalysis> analysis;

    SalesReport run(SalesPeriod period, QDate from, QDate to, int catId = 0, int top = 10)
    {
        return analysis->run({period, from, to, catId, top});
    }

private slots:
    void init()
    {
        TESTDB_REQUIRE_ENGINE();
        db = std::make_unique<TestDb>();
        db->fillSample(); // projects 1, 2, 4 in "Бухгалтерия" (1), 3 in "Игры" (2), none in "Пустая" (3)
        db->exec("DELETE FROM orders");
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES"
                 " (3, '2011-12-31 23:59:59', 100)," // the day before the range
                 " (1, '2012-01-01', 10000),"        // first day of a month and a quarter
                 " (2, '2012-01-31 23:59:59', 5),"   // last day of a month, with a time
                 " (3, '2012-02-29', 1),"            // leap day
                 " (1, '2012-03-31', 3),"            // last day of a quarter
                 " (4, '2012-04-01', 7),"            // first day of the next quarter
                 " (1, '2013-01-01', 1000)");        // the day after the range
        analysis = std::make_unique<SalesAnalysis>(db->openDm()->ADOConnection);
    }
    void cleanup()
    {
        analysis.reset();
        db.reset();
    }

    void monthsQuartersAndYearsCountTheirEdgeDays()
    {
        const QDate from(2012, 1, 1), to(2012, 12, 31);
        const SalesReport months = run(SalesPeriod::Month, from, to);
        QCOMPARE(months.periods.size(), 12);
        QCOMPARE(rows(months, SalesPeriod::Month).mid(0, 5),
                 (QList<PeriodRow>{{"янв. 2012", 2, units(10005)}, {"февр. 2012", 1, units(1)},
                             {"март 2012", 1, units(3)}, {"апр. 2012", 1, units(7)}, {"май 2012", 0, units(0)}}));
        QCOMPARE(months.total.count, 5);
        QCOMPARE(months.total.sum, units(10016));

        QCOMPARE(rows(run(SalesPeriod::Quarter, from, to), SalesPeriod::Quarter),
                 (QList<PeriodRow>{{"I кв. 2012", 4, units(10009)}, {"II кв. 2012", 1, units(7)},
                             {"III кв. 2012", 0, units(0)}, {"IV кв. 2012", 0, units(0)}}));
        // A range that starts inside a period still shows that period, with the sales of the range only.
        QCOMPARE(rows(run(SalesPeriod::Year, QDate(2011, 12, 31), QDate(2012, 1, 31)), SalesPeriod::Year),
                 (QList<PeriodRow>{{"2011", 1, units(100)}, {"2012", 2, units(10005)}}));
    }

    void stackedCellsAndTopProjectsFollowTheCategory()
    {
        const QDate from(2012, 1, 1), to(2012, 12, 31);
        const SalesReport all = run(SalesPeriod::Quarter, from, to, 0, 3);
        QCOMPARE(all.cells.size(), 3);
        QCOMPARE(all.cells.at(0).catId, 1);
        QCOMPARE(all.cells.at(0).count, 3);
        QCOMPARE(all.cells.at(0).sum, units(10008));
        QCOMPARE(all.cells.at(1).catId, 2);
        QCOMPARE(all.cells.at(1).sum, units(1));
        QCOMPARE(all.cells.at(2).periodStart, QDate(2012, 4, 1));
        QCOMPARE(topNames(all), (QStringList{"Касса/Бухгалтерия/2/10003", "Авансы/Бухгалтерия/1/7",
                                             "Зарплата/Бухгалтерия/1/5"}));

        const SalesReport games = run(SalesPeriod::Quarter, from, to, 2);
        QCOMPARE(games.total.count, 1);
        QCOMPARE(games.total.sum, units(1));
        QCOMPARE(topNames(games), QStringList{"Тетрис/Игры/1/1"});

        const SalesReport empty = run(SalesPeriod::Quarter, from, to, 3);
        QCOMPARE(empty.periods.size(), 4);
        QCOMPARE(empty.total.count, 0);
        QVERIFY(empty.cells.isEmpty());
        QVERIFY(empty.topProjects.isEmpty());
        QCOMPARE(empty.total.mean(), units(0));
    }

    void aRangeWithoutSalesOrBackwardsHasNoFigures()
    {
        const SalesReport none = run(SalesPeriod::Month, QDate(2010, 1, 1), QDate(2010, 12, 31));
        QCOMPARE(none.periods.size(), 12);
        QCOMPARE(none.total.count, 0);
        QVERIFY(none.topProjects.isEmpty());
        QVERIFY(run(SalesPeriod::Month, QDate(2012, 2, 1), QDate(2012, 1, 1)).periods.isEmpty());
    }

    void sumsAndMeansAreExactToTheTenThousandth()
    {
        db->exec("DELETE FROM orders");
        db->exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 999)"
                 " INSERT INTO orders (project_id, date_orders, summ) SELECT 1, '2014-05-10', 1 FROM n");
        // Beyond 2^53: a sum through a double would lose the last unit.
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (2, '2014-05-11', 9007199254740000)");
        const SalesReport r = run(SalesPeriod::Month, QDate(2014, 5, 1), QDate(2014, 5, 31));
        QCOMPARE(r.total.count, 1000);
        QCOMPARE(r.total.sum.units(), 9007199254740999LL);
        QCOMPARE(r.total.mean().units(), 9007199254741LL); // ...740.999 rounded
        QCOMPARE(r.topProjects.at(1).sum.units(), 999LL);
        QCOMPARE((SalesTotal{{}, 2, units(-5)}).mean(), units(-3)); // -2.5 rounds away from zero
        // To cents from the exact sum: 0.00495 gives 0.00, not 0.01 through its 4-decimal mean 0.0050.
        QCOMPARE((SalesTotal{{}, 2, units(99)}).mean(2), units(0));
        QCOMPARE((SalesTotal{{}, 3, units(-35000)}).mean(2), units(-11700)); // -1.1666…
    }

    // The file's top list is totalled by the program: it must be the
    // database's own grouping, with equal sums, sales of no project or of a
    // project gone, sales without a sum and negative sums; past 64 bits it is
    // refused.
    void theTopListIsTheDatabasesGrouping()
    {
        db->exec("DELETE FROM orders");
        db->exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400)"
                 " INSERT INTO orders (project_id, date_orders, summ)"
                 " SELECT CASE WHEN i % 17 = 0 THEN NULL ELSE i % 7 END, '2012-0' || (1 + i % 8) || '-1' || (i % 10),"
                 " CASE WHEN i % 11 = 0 THEN NULL ELSE (i % 5) * 1000 - 1500 END FROM n");
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (2, '2012-06-30 23:00:00', 77),"
                 " (10, '2012-03-01', 1000000000), (9, '2012-03-01', 1000000000), (8, '2012-03-01', 1000000000)");
        const QDate from(2012, 2, 1), to(2012, 6, 30);
        const auto grouped = [&](int top) {
            QSqlQuery q = Dm->ADOConnection->exec(
                QStringLiteral("SELECT t.project_id, p.tovName, c.catName, t.n, t.s FROM ("
                               " SELECT project_id, COUNT(*) AS n, CAST(COALESCE(SUM(summ), 0) AS BIGINT) AS s"
                               " FROM orders WHERE date_orders >= '2012-02-01' AND date_orders < '2012-07-01'"
                               " GROUP BY project_id) t LEFT JOIN projects p ON p.project_id = t.project_id"
                               " LEFT JOIN category c ON c.cat_id = p.cat_id ORDER BY t.s DESC, t.project_id LIMIT %1")
                    .arg(top));
            QStringList out;
            while (q.next())
                out << QStringLiteral("%1/%2/%3/%4/%5").arg(q.value(0).toInt()).arg(q.value(1).toString(),
                                                       q.value(2).toString()).arg(q.value(3).toLongLong())
                           .arg(q.value(4).toLongLong());
            return out;
        };
        for (int top : {3, 100}) {
            QStringList listed;
            for (const TopProject &p : analysis->topProjects({SalesPeriod::Month, from, to, 0, top}))
                listed << QStringLiteral("%1/%2/%3/%4/%5").arg(p.projectId).arg(p.name, p.category).arg(p.count)
                              .arg(p.sum.units());
            QCOMPARE(listed, grouped(top));
        }
        QCOMPARE(grouped(100).size(), 11); // projects 0 to 6, 8 to 10 and none

        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES"
                 " (4, '2012-03-01', 4611686018427387904), (4, '2012-03-02', 4611686018427387904)");
        QVERIFY_THROWS_EXCEPTION(DataError, analysis->topProjects({SalesPeriod::Month, from, to, 0, 10}));
    }

    void latestSaleGivesTheDefaultRange()
    {
        QCOMPARE(analysis->lastSaleDate(), std::optional<QDate>(QDate(2013, 1, 1)));
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (1, '2013-02-03 10:00:00', 1)");
        QCOMPARE(analysis->lastSaleDate(), std::optional<QDate>(QDate(2013, 2, 3)));
        db->exec("DELETE FROM orders");
        QVERIFY(!analysis->lastSaleDate());
    }

    void aFileWithoutTheDateIndexGivesTheSameFigures()
    {
        const SalesReport before = run(SalesPeriod::Month, QDate(2012, 1, 1), QDate(2012, 12, 31));
        // A file made before the index existed opens and gives the same figures.
        analysis.reset();
        db->closeDm();
        db->exec("DROP INDEX orders_date_orders");
        analysis = std::make_unique<SalesAnalysis>(db->openDm()->ADOConnection);
        const SalesReport after = run(SalesPeriod::Month, QDate(2012, 1, 1), QDate(2012, 12, 31));
        QCOMPARE(rows(after, SalesPeriod::Month), rows(before, SalesPeriod::Month));
        QCOMPARE(topNames(after), topNames(before));
    }

    // The monthly totals that whole months are read from stay those of the
    // sales through every kind of change, and so does the total of all sales.
    void theMonthlyTotalsFollowEveryChange()
    {
        const Database &conn = *Dm->ADOConnection;
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (2, '2012-05-05', 9007199254740993),"
                 " (3, '2012-05-06', NULL), (99, '2012-05-07', -4), (1, NULL, 6), (4, '2012-05-08', -30000000000)");
        db->exec("UPDATE orders SET summ = summ + 1 WHERE project_id = 1");
        db->exec("UPDATE orders SET date_orders = '2012-06-30' WHERE date_orders = '2012-04-01'");
        db->exec("UPDATE orders SET project_id = 3 WHERE date_orders = '2012-03-31'");
        db->exec("UPDATE projects SET cat_id = 3 WHERE project_id = 3");
        db->exec("UPDATE projects SET cat_id = NULL WHERE project_id = 4");
        db->exec("DELETE FROM projects WHERE project_id = 2"); // its sales stay, without a category
        db->exec("INSERT INTO projects (project_id, cat_id, tovName) VALUES (99, 2, 'Найденный')");
        db->exec("DELETE FROM orders WHERE date_orders = '2013-01-01'");
        QCOMPARE(monthlyTotals(conn), monthlyTotalsOfTheSales(conn));
        QCOMPARE(monthlyTotals(conn).size(), 10);
        QCOMPARE(allSumm(), db->scalar("SELECT SUM(summ) FROM orders").toLongLong());

        const SalesReport r = run(SalesPeriod::Quarter, QDate(2012, 1, 1), QDate(2012, 12, 31));
        QCOMPARE(r.total.count, db->scalar("SELECT COUNT(*) FROM orders WHERE date_orders LIKE '2012%'").toLongLong());
        QCOMPARE(r.total.sum.units(), 10001 + 5 + 1 + 4 + 7 + 9007199254740993 - 4 - 30000000000);
        QCOMPARE(run(SalesPeriod::Year, QDate(2012, 1, 1), QDate(2012, 12, 31), 3).total.count, 3);

        db->exec("DELETE FROM orders");
        QVERIFY(monthlyTotals(conn).isEmpty());
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (1, '2012-05-05', NULL)");
        Dm->sqlStateOrders->close();
        Dm->sqlStateOrders->open();
        QVERIFY(Dm->sqlStateOrders->fieldByName("allSumm")->isNull()); // as SUM() over no sum
    }

    // One user moves a project to another category while another records a
    // sale of it, in either order: the sale counts where the project is once
    // both have committed. A catalogue whose summary is not the program's
    // gets the program's when it is opened.
    void aSaleDuringAMoveOfItsProjectCountsWhereTheProjectEnds()
    {
        analysis.reset();
        db->closeDm();
        makeOlderSummary(*db);
        const Database &conn = *db->openDm()->ADOConnection;
        interleave(db->path(), "UPDATE projects SET cat_id = 2 WHERE project_id = 1",
                   "INSERT INTO orders (project_id, date_orders, summ) VALUES (1, '2012-05-05', 10)");
        interleave(db->path(), "INSERT INTO orders (project_id, date_orders, summ) VALUES (1, '2012-05-06', 20)",
                   "UPDATE projects SET cat_id = 3 WHERE project_id = 1");
        QCOMPARE(monthlyTotals(conn), monthlyTotalsOfTheSales(conn));
        QCOMPARE(db->scalar("SELECT sales FROM sales_month WHERE month = '2012-05' AND cat_id = 3").toInt(), 2);
    }

    // A catalogue made before the monthly totals gets them when it is opened,
    // once; without them (read-only) the figures come from the sales alone.
    void anOlderCatalogueGetsTheMonthlyTotalsOnOpen()
    {
        const QDate from(2011, 12, 31), to(2012, 12, 31);
        analysis.reset();
        db->closeDm();
        dropMonthlyTotals(*db);
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (4, '2012-07-01', 70)");
        SalesReport direct;
        {
            Database plain;
            plain.open(db->path());
            direct = SalesAnalysis(&plain).run({SalesPeriod::Month, from, to, 0, 10});
        }
        QCOMPARE(direct.total.count, 7);

        for (int opening = 0; opening < 2; ++opening) {
            analysis = std::make_unique<SalesAnalysis>(db->openDm()->ADOConnection);
            QCOMPARE(monthlyTotals(*Dm->ADOConnection), monthlyTotalsOfTheSales(*Dm->ADOConnection));
            const SalesReport r = run(SalesPeriod::Month, from, to);
            QCOMPARE(rows(r, SalesPeriod::Month), rows(direct, SalesPeriod::Month));
            QCOMPARE(topNames(r), topNames(direct));
            QCOMPARE(allSumm(), 10000 + 5 + 1 + 3 + 7 + 1000 + 100 + 70);
        }
    }
};

QTEST_GUILESS_MAIN(TestDataSalesAnalysis)
#include "test_data_sales_analysis.moc"
