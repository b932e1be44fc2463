// Times how long a commit of one user takes to reach another user's project
// list: two data modules on two connections to one database. Not run by CTest:
//   build/bench_live_refresh [projects]
//   PROJECTSALES_TEST_ENGINE=server tools/test-server.sh build/bench_live_refresh
// Prints milliseconds and their ratios to the check interval of the module.
// "refresh" is the file's look when asked at once, or the wait for the
// server's notification; "commit->list" lets the module's own timer look.
#include "BenchTiming.h"
#include "data/module/UnitDM.h"
#include "support/TestDb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

void fill(TestDb &db, int projects)
{
    db.exec("INSERT INTO category (catName) VALUES ('Первая'), ('Вторая')");
    db.exec("INSERT INTO years (name) VALUES ('2010')");
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                           " INSERT INTO projects (cat_id, year_id, tovName, price, project_begin, isExports)"
                           " SELECT 1 + i % 2, 1, 'Проект ' || i, i * 10000, '2010-01-01', 1 FROM n")
                .arg(projects));
    db.exec("INSERT INTO orders (project_id, date_orders, summ) SELECT project_id, '2011-01-01', 10000 FROM projects");
}

struct Result {
    double idleCheck, refresh, endToEnd, worst;
};

Result measure(int projects, int rounds)
{
    TestDb db;
    fill(db, projects);
    TDm *a = db.openDm();
    TDm b(db.path());
    b.tblProject->setSort(QStringLiteral("tovName ASC"));
    b.tblProject->setFilter(QStringLiteral("cat_id = 1"));
    b.tblProject->setFiltered(true);
    const int key = b.tblProjectproject_id->asInteger();
    a->tblProject->locate(QStringLiteral("project_id"), key);

    auto rename = [&](int round) {
        const QString name = QStringLiteral("Проект переименован %1").arg(round);
        a->tblProject->edit();
        a->tblProjecttovName->setAsString(name);
        a->tblProject->post();
        return name;
    };
    auto shown = [&](const QString &name) { return b.tblProjecttovName->asString() == name; };

    std::vector<double> idle, refresh, endToEnd;
    QElapsedTimer t;
    for (int round = 0; round < rounds; ++round) {
        t.start();
        b.checkForChanges();
        idle.push_back(t.nsecsElapsed() / 1e6);

        const QString direct = rename(2 * round);
        t.start();
        if (!TestDb::onServer())
            b.checkForChanges();
        while (!shown(direct))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        refresh.push_back(t.nsecsElapsed() / 1e6);

        // The commit lands anywhere in the timer's period, as a user's would.
        QEventLoop pause;
        QTimer::singleShot(int(QRandomGenerator::global()->bounded(TDm::ChangeCheckInterval)), &pause,
                           &QEventLoop::quit);
        pause.exec();
        const QString timed = rename(2 * round + 1);
        t.start();
        while (!shown(timed))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        endToEnd.push_back(t.nsecsElapsed() / 1e6);
    }
    db.closeDm();
    return {medianOf(idle), medianOf(refresh), medianOf(endToEnd),
            *std::max_element(endToEnd.begin(), endToEnd.end())};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int large = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    const int rounds = 20;
    std::printf("%s, check interval %d ms, %d rounds, medians in ms\n",
                TestDb::onServer() ? "server" : "file", TDm::ChangeCheckInterval, rounds);
    std::printf("%8s %10s %10s %12s %10s %14s %14s\n", "projects", "idle check", "refresh", "commit->list",
                "worst", "refresh/idle", "list/interval");
    for (int projects : {200, large}) {
        const Result r = measure(projects, rounds);
        std::printf("%8d %10.3f %10.2f %12.1f %10.1f %14.0f %14.2f\n", projects, r.idleCheck, r.refresh,
                    r.endToEnd, r.worst, r.refresh / r.idleCheck, r.endToEnd / TDm::ChangeCheckInterval);
    }
    return 0;
}
