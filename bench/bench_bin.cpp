// Times the recycle bin on a large catalogue, all in one run, so the ratios
// hold on a loaded machine. Not run by CTest:
//   QT_QPA_PLATFORM=offscreen build/bench_bin [catalogue.mdb]
// The catalogue (by default the one bench_catalogue generates, 100000
// projects with ten sales each) is copied to a temporary folder first, so it
// stays as it was. Measured:
//  - deleting a project with 1000 sales (in one transaction, as the program
//    does) with the bin's and the history's triggers, against the same delete
//    with the bin's triggers dropped and with all of the trail's dropped;
//  - the bin's 10000 entries read as the bin window lists them, and the
//    window opened, against a plain scan of the same rows.
#include "BenchCatalogue.h"
#include "BenchScan.h"
#include "BenchTiming.h"
#include "BenchTrail.h"
#include "data/engine/Database.h"
#include "data/module/UnitDM.h"
#include "data/trail/RecycleBin.h"
#include "data/trail/Trail.h"
#include "service/Unit_bin.h"
#include "support/RecordingSeams.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

const int Sales = 1000;
const int Entries = 10000;

qint64 lastKey(const Database &db, const char *sql)
{
    QSqlQuery q = db.exec(QString::fromLatin1(sql));
    return q.next() ? q.value(0).toLongLong() : 0;
}

// A project with its sales, made untimed before each delete.
qint64 addProject(Database &db)
{
    static int n = 0;
    db.transaction([&] {
        db.exec(QStringLiteral("INSERT INTO projects (cat_id, year_id, tovName, price, isExports, isExportsDesc)"
                               " VALUES (1, 1, :n, 100000, 1, 0)"),
                {{QStringLiteral("n"), QStringLiteral("Удаляемый проект %1").arg(++n)}});
        const qint64 key = lastKey(db, "SELECT MAX(project_id) FROM projects");
        db.exec(QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < %1)"
                               " INSERT INTO orders (project_id, date_orders, summ, comments)"
                               " SELECT :p, date('2012-01-01', '+' || (i % 700) || ' days'), i * 10000, 'Продажа'"
                               " FROM s")
                    .arg(Sales),
                {{QStringLiteral("p"), key}});
    });
    return lastKey(db, "SELECT MAX(project_id) FROM projects");
}

void deleteProject(Database &db, qint64 key)
{
    const QHash<QString, QVariant> p{{QStringLiteral("p"), key}};
    db.transaction([&] {
        db.exec(QStringLiteral("DELETE FROM orders WHERE project_id = :p"), p);
        db.exec(QStringLiteral("DELETE FROM projects WHERE project_id = :p"), p);
    });
}

// Entries as deletes leave them: most a sale alone, every tenth a project
// with its ten sales, taken from rows that stay where they are.
void fillBin(Database &db)
{
    db.transaction([&] {
        for (int i = 1; i <= Entries; ++i) {
            const bool project = i % 10 == 0;
            db.exec(QStringLiteral("INSERT INTO trail_bin (tbl, row_key, project_id, label, deleted_at, deleted_by)"
                                   " SELECT :t, :k, project_id, tovName, datetime('now', 'localtime', :s), 'bench'"
                                   " FROM projects WHERE project_id = :k"),
                    {{QStringLiteral("t"), project ? QStringLiteral("projects") : QStringLiteral("orders")},
                     {QStringLiteral("k"), i},
                     {QStringLiteral("s"), QStringLiteral("-%1 seconds").arg(Entries - i)}});
            const qint64 entry = lastKey(db, "SELECT MAX(entry_id) FROM trail_bin");
            const QHash<QString, QVariant> p{{QStringLiteral("e"), entry}, {QStringLiteral("k"), i}};
            if (project)
                db.exec(QStringLiteral("INSERT INTO trail_bin_projects (entry_id, project_id, cat_id, year_id, tovName,"
                                       " price, description) SELECT :e, project_id, cat_id, year_id, tovName, price,"
                                       " description FROM projects WHERE project_id = :k"),
                        p);
            db.exec(QStringLiteral("INSERT INTO trail_bin_orders (entry_id, order_id, project_id, date_orders, summ,"
                                   " comments) SELECT :e, order_id, project_id, date_orders, summ, comments"
                                   " FROM orders WHERE project_id = :k LIMIT %1")
                        .arg(project ? 10 : 1),
                    p);
        }
    });
}

void row(const char *what, const Timing &t, const Timing &base)
{
    std::printf("| %s | %.1f | %.1f | %.2f | %.2f |\n", what, t.wall, t.cpu, t.wall / base.wall, t.cpu / base.cpu);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = copyOfCatalogue(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(), dir);
    if (path.isEmpty())
        return 1;
    RecordingSeams seams;

    {
        Database db(QStringLiteral("bench"));
        db.open(path);
        if (!Trail::ensure(db)) {
            std::fprintf(stderr, "the catalogue did not get the bin\n");
            return 1;
        }
        // Each run deletes with all triggers, without the bin's, without the
        // trail's, in turn, so a busy moment of the machine weighs on all alike.
        std::vector<double> full, noBin, none;
        for (int run = 0; run < 5; ++run) {
            Trail::ensure(db);
            qint64 key = addProject(db);
            full.push_back(elapsedMs([&] { deleteProject(db, key); }));
            dropTriggers(db, [](const QString &t) { return t.endsWith(QLatin1String("_trail_delete")); });
            key = addProject(db);
            noBin.push_back(elapsedMs([&] { deleteProject(db, key); }));
            dropTriggers(db, [](const QString &t) { return t.contains(QLatin1String("trail")); });
            key = addProject(db);
            none.push_back(elapsedMs([&] { deleteProject(db, key); }));
        }
        Trail::ensure(db);
        const double base = medianOf(none);
        std::printf("deleting a project with %d sales, ms (median of 5):\n", Sales);
        std::printf("| triggers | ms | against none |\n|---|---|---|\n");
        std::printf("| bin and history | %.1f | %.2f |\n", medianOf(full), medianOf(full) / base);
        std::printf("| history only (bin's dropped) | %.1f | %.2f |\n", medianOf(noBin), medianOf(noBin) / base);
        std::printf("| none | %.1f | 1.00 |\n", base);
        std::printf("bin against bin's dropped: %.2f\n", medianOf(full) / medianOf(noBin));

        db.transaction([&] { db.exec(QStringLiteral("DELETE FROM trail_bin")); });
        fillBin(db);
    }

    const Timing scan = plainScan(path, QStringLiteral("SELECT * FROM trail_bin ORDER BY deleted_at DESC, entry_id DESC"));
    const Timing projects = plainScan(path, projectScanSql());
    TDm dm(path);
    Dm = &dm;
    if (RecycleBin::entries(*dm.ADOConnection).size() < Entries - 1) { // the purge spares them all
        std::fprintf(stderr, "the bin lost entries\n");
        return 1;
    }
    const Timing list = timeRuns(5, [&] { RecycleBin::entries(*dm.ADOConnection); });
    TfrmBin window;
    window.bindData();
    const Timing open = timeRuns(
        5,
        [&] {
            window.show();
            QApplication::processEvents();
        },
        [&] { window.hide(); });
    std::printf("the bin with %lld entries, ms (median of 5):\n", qlonglong(window.entries().size()));
    std::printf("| read | wall | cpu | wall against scan | cpu against scan |\n|---|---|---|---|---|\n");
    row("plain scan of trail_bin", scan, scan);
    row("RecycleBin::entries", list, scan);
    row("the bin window opened", open, scan);
    std::printf("against the plain scan of the project columns (%.1f ms wall, %.1f cpu):\n", projects.wall,
                projects.cpu);
    row("RecycleBin::entries", list, projects);
    row("the bin window opened", open, projects);
    Dm = nullptr;
    return window.gridBin->model()->rowCount() >= Entries - 1 ? 0 : 1;
}
