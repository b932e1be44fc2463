// Times "Показать" of the sales analysis window on a large catalogue, against
// a plain scan of the projects' columns in the same run. Not run by CTest:
//   QT_QPA_PLATFORM=offscreen build/bench_sales_analysis [projects] [sales]
#include "data/SalesAnalysis.h"
#include "data/UnitDM.h"
#include "program/WindowSet.h"
#include "sales/Unit_sales_analysis.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

// Projects as the catalogue benchmark makes them; the sales spread evenly
// over ten years, so twelve months hold about a tenth of them.
void fill(TestDb &db, int projects, int sales)
{
    db.exec("BEGIN");
    for (int c = 1; c <= 20; ++c)
        db.exec("INSERT INTO category (catName) VALUES (?)", {QStringLiteral("Категория %1").arg(c)});
    for (int y = 2000; y < 2014; ++y)
        db.exec("INSERT INTO years (name) VALUES (?)", {QString::number(y)});
    db.exec(QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                " INSERT INTO projects (cat_id, year_id, tovName, price, project_begin, project_end,"
                " path_repository, description, isExports, isExportsDesc)"
                " SELECT 1 + i % 20, 1 + i % 14, 'Проект номер ' || ((i * 7919) % 1000003), i * 12345,"
                " '2010-01-01', '2011-06-30', 'trunk/project' || i, 'Описание проекта номер ' || i, 1, 0 FROM n")
                .arg(projects));
    db.exec(QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                " INSERT INTO orders (project_id, date_orders, summ, comments)"
                " SELECT 1 + (i * 7919) % %2, date('2004-01-01', '+' || (i % 3653) || ' days'),"
                " 10000 + (i * 31) % 9999999, NULL FROM n ORDER BY 2")
                .arg(sales)
                .arg(projects));
    db.exec("COMMIT");
}

struct Timing {
    double wall;
    double cpu; // the thread's own share, what a machine with no other load would see
};

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The medians of several runs.
Timing median(const std::function<void()> &action)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        action();
        wall.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(threadCpuMs() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

// What the catalogue benchmark reads: every column but the pictures.
Timing projectScan(const QString &path)
{
    QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "scan");
    c.setDatabaseName(path);
    c.open();
    Timing t{};
    {
        QSqlQuery q(c);
        q.setForwardOnly(true);
        t = median([&] {
            q.exec("SELECT project_id, cat_id, year_id, version_id, tovName, price, project_begin, project_end,"
                   " datetime_update, path_repository, isExports, isExportsDesc, description FROM projects");
            while (q.next())
                for (int i = 0; i < 13; ++i)
                    q.value(i);
        });
    }
    c = QSqlDatabase();
    QSqlDatabase::removeDatabase("scan");
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int projects = argc > 1 ? atoi(argv[1]) : 100000;
    const int sales = argc > 2 ? atoi(argv[2]) : 1000000;
    RecordingSeams seams;
    TestDb db;
    fill(db, projects, sales);
    const Timing scan = projectScan(db.path());

    createWindowSet(db.path());
    TfrmSalesAnalysis *w = frmSalesAnalysis;
    w->show();
    QApplication::processEvents();
    w->cbPeriod->setCurrentIndex(0);
    w->cbCategory->setCurrentIndex(0);
    w->dtFrom->setDate(QDate(2013, 1, 1));
    w->dtTo->setDate(QDate(2013, 12, 31));
    const auto show = [w] {
        w->btnShow->click();
        w->repaint();
    };

    const Timing all = median(show);
    const qint64 inRange = w->report().total.count;
    const SalesQuery query{SalesPeriod::Month, QDate(2013, 1, 1), QDate(2013, 12, 31), 0, 10};
    const Timing sql = median([&] { SalesAnalysis(Dm->ADOConnection).run(query); });
    w->cbCategory->setCurrentIndex(7);
    const Timing one = median(show);

    std::printf("%d projects, %d sales over ten years, %lld of them in the 12 months (ms, median of 9)\n",
                projects, sales, inRange);
    std::printf("%-50s %8s %8s %8s\n", "", "wall", "cpu", "cpu/scan");
    auto row = [&scan](const char *name, Timing t) {
        std::printf("%-50s %8.1f %8.1f %8.2f\n", name, t.wall, t.cpu, t.cpu / scan.cpu);
    };
    row("projects scan (13 columns, no pictures)", scan);
    row("Show, 12 months, all categories, repainted", all);
    row("  of which: the SQL totals", sql);
    row("Show, 12 months, one category, repainted", one);
    std::printf("errors shown: %d\n", int(seams.errors.size()));
    destroyWindowSet();
    return 0;
}
