// Times the history of changes on a large catalogue, all in one run, so the
// ratios hold on a loaded machine. Not run by CTest:
//   QT_QPA_PLATFORM=offscreen build/bench_history [catalogue.mdb] [--window-only]
// The catalogue (by default the one bench_catalogue generates, 100000
// projects with ten sales each) is copied to a temporary folder first, so it
// stays as it was. Measured:
//  - posts of a changed project and of a changed sale, as the statement the
//    data module sends in its transaction and as the dataset's post, with the
//    history's triggers against the same posts with them dropped (and with
//    the whole trail dropped, the writer not named);
//  - the "Сервис" history with 10000 entries, read and in its window, and
//    then, among a million more, the history of one project with 10000
//    entries of its own and its sales', against the plain project scan and a
//    bare scan of the same rows;
//  - the growth of the file by a million recorded changes against the size of
//    the rows they changed;
//  - the whole history's window on the million, as it read before (every
//    entry, at its opening and at each other writer's commit) and as it
//    reads now (the newest page, then only the new entries); with
//    --window-only no posts and no project's history.
#include "BenchCatalogue.h"
#include "BenchScan.h"
#include "BenchTiming.h"
#include "BenchTrail.h"
#include "app/ListModel.h"
#include "data/engine/Database.h"
#include "data/module/UnitDM.h"
#include "data/trail/History.h"
#include "data/trail/Trail.h"
#include "service/Unit_history.h"
#include "support/RecordingSeams.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const int Posts = 2000;       // statements of each kind, each way
const int DatasetPosts = 500; // the dataset's posts read the statistics again, so fewer
const int Block = 50;         // posts timed in turn one way, then the others
const int Entries = 10000;
const qint64 Changes = 1000000;
const qint64 Posted = 7;    // the project the statements change
const qint64 Edited = 8;    // the one the datasets change, as they read it
const qint64 Opened = 500;  // the project whose history is opened
const int OpenedRounds = 909; // of its price and its ten sales: eleven entries a round

qint64 scalar(const Database &db, const QString &sql, const QHash<QString, QVariant> &params = {})
{
    QSqlQuery q = db.exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : 0;
}

void row(const char *what, const Timing &t, const Timing &base)
{
    std::printf("| %s | %.2f | %.2f | %.2f | %.2f |\n", what, t.wall, t.cpu, t.wall / base.wall, t.cpu / base.cpu);
}

// How the catalogue is written: with the whole trail, with the history's
// triggers dropped, or as before the trail (no triggers, no writer named).
enum class Way { History, NoHistory, NoTrail };
const char *const WayNames[] = {"history", "history's triggers dropped", "whole trail dropped"};

void setWay(Database &db, Way way)
{
    Trail::ensure(db);
    if (way == Way::NoHistory)
        dropTriggers(db, [](const QString &t) { return t.contains(QLatin1String("_trail_history")); });
    if (way == Way::NoTrail) {
        dropTriggers(db, [](const QString &t) { return t.contains(QLatin1String("trail")); });
        db.setTransactionHooks({}, {});
    }
}

// Posts of one kind timed in blocks, each block one way after the other, so
// a busy moment of the machine weighs on all alike: ms a post, median of blocks.
std::vector<Timing> timePosts(Database &db, int posts, const std::function<void(int)> &post)
{
    std::vector<std::vector<double>> wall(3), cpu(3);
    int n = 0;
    for (int done = 0; done < posts; done += Block)
        for (int w = 0; w < 3; ++w) {
            setWay(db, Way(w));
            const double cpuStart = threadCpuMs();
            wall[w].push_back(elapsedMs([&] {
                for (int i = 0; i < Block; ++i)
                    post(n++);
            }) / Block);
            cpu[w].push_back((threadCpuMs() - cpuStart) / Block);
        }
    setWay(db, Way::History);
    std::vector<Timing> out;
    for (int w = 0; w < 3; ++w)
        out.push_back({medianOf(wall[w]), medianOf(cpu[w])});
    return out;
}

void printPosts(const char *what, int posts, const std::vector<Timing> &t)
{
    std::printf("%s, %d each way, ms a post (median of blocks of %d):\n", what, posts, Block);
    std::printf("| way | wall | cpu | wall against dropped | cpu against dropped |\n|---|---|---|---|---|\n");
    for (int w = 0; w < 3; ++w)
        row(WayNames[w], t[w], t[int(Way::NoHistory)]);
    std::printf("history against the whole trail dropped: wall %.2f, cpu %.2f\n", t[0].wall / t[2].wall,
                t[0].cpu / t[2].cpu);
}

// The statement the data module sends for a changed field: the row found by
// its key and the value it was read with, in a transaction of its own.
void timeStatementPosts(Database &db)
{
    qint64 price = scalar(db, QStringLiteral("SELECT price FROM projects WHERE project_id = %1").arg(Posted));
    const qint64 sale = scalar(db, QStringLiteral("SELECT MIN(order_id) FROM orders WHERE project_id = %1").arg(Posted));
    qint64 summ = scalar(db, QStringLiteral("SELECT summ FROM orders WHERE order_id = %1").arg(sale));
    const auto project = [&](int i) {
        const qint64 changed = price + (i % 2 ? -100 : 100);
        db.transaction([&] {
            db.exec(QStringLiteral("UPDATE projects SET price = :n, datetime_update = :d"
                                   " WHERE project_id = :k AND price = :o"),
                    {{QStringLiteral("n"), changed},
                     {QStringLiteral("d"), QStringLiteral("2020-01-%1 00:00:00").arg(10 + i % 2)},
                     {QStringLiteral("k"), Posted},
                     {QStringLiteral("o"), price}});
        });
        price = changed;
    };
    printPosts("a changed project (price and date of update), the statement", Posts, timePosts(db, Posts, project));
    const auto order = [&](int i) {
        const qint64 changed = summ + (i % 2 ? -100 : 100);
        db.transaction([&] {
            db.exec(QStringLiteral("UPDATE orders SET summ = :n WHERE order_id = :k AND summ = :o"),
                    {{QStringLiteral("n"), changed}, {QStringLiteral("k"), sale}, {QStringLiteral("o"), summ}});
        });
        summ = changed;
    };
    printPosts("a changed sale (sum), the statement", Posts, timePosts(db, Posts, order));
}

// The same through the data module's datasets, as an edit of the form posts.
void timeDatasetPosts(TDm &dm)
{
    dm.tblProject->locate(QStringLiteral("project_id"), Edited);
    const qint64 price = dm.tblProjectprice->asMoney().units();
    const auto project = [&](int i) {
        dm.tblProject->edit();
        dm.tblProjectprice->setAsMoney(Money::fromUnits(price + (i % 2 ? 0 : 100)));
        dm.tblProject->post();
    };
    printPosts("a changed project (price), the dataset's post", DatasetPosts,
               timePosts(*dm.ADOConnection, DatasetPosts, project));
    dm.tblOrders->first();
    const qint64 summ = dm.tblOrderssumm->asMoney().units();
    const auto order = [&](int i) {
        dm.tblOrders->edit();
        dm.tblOrderssumm->setAsMoney(Money::fromUnits(summ + (i % 2 ? 0 : 100)));
        dm.tblOrders->post();
    };
    printPosts("a changed sale (sum), the dataset's post", DatasetPosts,
               timePosts(*dm.ADOConnection, DatasetPosts, order));
}

// The window shown with the history read, as the menu command shows it.
Timing timeWindow(TfrmHistory &window, qint64 projectId, const QString &name)
{
    return timeRuns(
        5,
        [&] {
            window.showFor(projectId, name);
            QApplication::processEvents();
        },
        [&] { window.hide(); });
}

void printOpened(const char *what, const Timing &read, const Timing &open, const Timing &bare,
                 const Timing &projects)
{
    std::printf("%s, ms (median of 5):\n", what);
    std::printf("| read | wall | cpu | wall against the project scan | cpu against it |\n|---|---|---|---|---|\n");
    row("plain scan of the project list", projects, projects);
    row("bare scan of the same history rows", bare, projects);
    row("History::changes", read, projects);
    row("the history window opened", open, projects);
    std::printf("against the bare scan of the history rows: read wall %.2f cpu %.2f, window wall %.2f cpu %.2f\n",
                read.wall / bare.wall, read.cpu / bare.cpu, open.wall / bare.wall, open.cpu / bare.cpu);
}

// The whole catalogue's history as "Сервис" opens it, with 10000 entries:
// sales changed across the catalogue, each once.
void timeWholeHistory(TDm &dm, const QString &path, const Timing &projects)
{
    Database &db = *dm.ADOConnection;
    db.transaction([&] {
        db.exec(QStringLiteral("DELETE FROM trail_history"));
        db.exec(QStringLiteral("UPDATE orders SET summ = summ + 1 WHERE order_id % %1 = 0").arg(Changes / Entries));
    });
    const Timing bare = plainScan(path, QStringLiteral("SELECT * FROM trail_history ORDER BY change_id DESC"));
    const Timing read = timeRuns(5, [&] { History::changes(db, {}); });
    TfrmHistory window;
    window.bindData();
    const Timing open = timeWindow(window, 0, QString());
    std::printf("\n");
    printOpened(qPrintable(QStringLiteral("the whole history (\"Сервис\") with %1 entries, its window showing %2")
                               .arg(scalar(db, QStringLiteral("SELECT COUNT(*) FROM trail_history")))
                               .arg(window.gridHistory->model()->rowCount())),
                read, open, bare, projects);
    window.hide();
}

// Used pages of the file, what the history's rows fill; free pages not counted,
// so pages freed earlier and filled again do not hide growth.
qint64 usedBytes(const Database &db)
{
    return (scalar(db, QStringLiteral("PRAGMA page_count")) - scalar(db, QStringLiteral("PRAGMA freelist_count")))
        * scalar(db, QStringLiteral("PRAGMA page_size"));
}

// The changed rows' size: a row's record as its table's leaf pages store it
// (the header and the values; a picture's overflow pages not counted, the
// history records only its size), the table's mean from dbstat, counted once
// for each change of a row of it.
double recordBytes(const Database &db, const QString &table)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT SUM(payload) * 1.0 / SUM(ncell) FROM dbstat"
                                         " WHERE name = :t AND pagetype = 'leaf'"),
                          {{QStringLiteral("t"), table}});
    return q.next() ? q.value(0).toDouble() : 0;
}

// The same like for like with the history's own pages: a row's share of the
// pages of its table and its indexes (pictures' overflow pages not counted).
double storedRowBytes(const Database &db, const QString &table)
{
    const double pages = scalar(db, QStringLiteral("SELECT SUM(pgsize) FROM dbstat WHERE pagetype <> 'overflow' AND name IN"
                                                   " (SELECT name FROM sqlite_master WHERE tbl_name = :t"
                                                   " AND type IN ('table', 'index'))"),
                                {{QStringLiteral("t"), table}});
    return pages / scalar(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
}

qint64 runBatches(Database &db, const QString &sql, qint64 first, qint64 last, qint64 batch)
{
    qint64 changed = 0;
    for (qint64 from = first; from <= last; from += batch)
        db.transaction([&] {
            changed += db.exec(sql, {{QStringLiteral("a"), from}, {QStringLiteral("b"), std::min(last, from + batch - 1)}})
                           .numRowsAffected();
        });
    return changed;
}

// A million single-field changes: the opened project's price and sales in
// rounds, every project's price once, then sales' sums, in large transactions.
void growHistory(Database &db)
{
    const qint64 sizeBefore = QFileInfo(db.path()).size(), usedBefore = usedBytes(db);
    const qint64 entriesBefore = scalar(db, QStringLiteral("SELECT COUNT(*) FROM trail_history"));
    QElapsedTimer clock;
    clock.start();
    qint64 projectChanges = 0, saleChanges = 0;
    db.transaction([&] {
        const QHash<QString, QVariant> p{{QStringLiteral("p"), Opened}};
        for (int i = 0; i < OpenedRounds; ++i) {
            projectChanges += db.exec(QStringLiteral("UPDATE projects SET price = price + 1 WHERE project_id = :p"), p)
                                  .numRowsAffected();
            saleChanges += db.exec(QStringLiteral("UPDATE orders SET summ = summ + 1 WHERE project_id = :p"), p)
                               .numRowsAffected();
        }
    });
    projectChanges += runBatches(db, QStringLiteral("UPDATE projects SET price = price + 1"
                                                    " WHERE project_id BETWEEN :a AND :b"),
                                 1, scalar(db, QStringLiteral("SELECT MAX(project_id) FROM projects")), 20000);
    saleChanges += runBatches(db, QStringLiteral("UPDATE orders SET summ = summ + 1 WHERE order_id BETWEEN :a AND :b"),
                              1, Changes - projectChanges - saleChanges, 100000);
    const double seconds = clock.elapsed() / 1e3;
    const qint64 entries = scalar(db, QStringLiteral("SELECT COUNT(*) FROM trail_history")) - entriesBefore;
    const qint64 sizeGrowth = QFileInfo(db.path()).size() - sizeBefore, usedGrowth = usedBytes(db) - usedBefore;
    const double rows = projectChanges * recordBytes(db, QStringLiteral("projects"))
        + saleChanges * recordBytes(db, QStringLiteral("orders"));
    std::printf("\n%lld changes (%lld of projects, %lld of sales) recorded as %lld entries in %.1f s\n",
                qlonglong(projectChanges + saleChanges), qlonglong(projectChanges), qlonglong(saleChanges),
                qlonglong(entries), seconds);
    std::printf("| measure | bytes | against the changed rows |\n|---|---|---|\n");
    const double stored = projectChanges * storedRowBytes(db, QStringLiteral("projects"))
        + saleChanges * storedRowBytes(db, QStringLiteral("orders"));
    std::printf("| changed rows (records as stored) | %.0f | 1.00 |\n", rows);
    std::printf("| changed rows with their index entries, in pages | %.0f | %.2f |\n", stored, stored / rows);
    std::printf("| file growth | %lld | %.2f |\n", qlonglong(sizeGrowth), sizeGrowth / rows);
    std::printf("| used pages' growth | %lld | %.2f |\n", qlonglong(usedGrowth), usedGrowth / rows);
    std::printf("growth against the changed rows with their index entries: %.2f\n", usedGrowth / stored);
    QSqlQuery q = db.exec(QStringLiteral("SELECT name, SUM(pgsize) FROM dbstat WHERE name LIKE 'trail_history%'"
                                         " GROUP BY name ORDER BY name"));
    while (q.next())
        std::printf("| of it %s | %lld | %.2f |\n", qPrintable(q.value(0).toString()), q.value(1).toLongLong(),
                    q.value(1).toLongLong() / rows);
}

// The history of the project with its 10000 entries among a million.
void timeProjectHistory(TDm &dm, const QString &path, const Timing &projects)
{
    Database &db = *dm.ADOConnection;
    const QString name = dm.tblProject->locate(QStringLiteral("project_id"), Opened)
        ? dm.tblProjecttovName->asString()
        : QString();
    History::Filter filter;
    filter.projectId = Opened;
    const Timing bare = plainScan(
        path, QStringLiteral("SELECT * FROM trail_history WHERE project_id = %1 ORDER BY change_id DESC").arg(Opened));
    const Timing read = timeRuns(5, [&] { History::changes(db, filter); });
    TfrmHistory window;
    window.bindData();
    const Timing open = timeWindow(window, Opened, name);
    std::printf("\n");
    printOpened(qPrintable(QStringLiteral("the history of one project with %1 entries among %2, its window showing %3")
                               .arg(scalar(db, QStringLiteral("SELECT COUNT(*) FROM trail_history WHERE project_id = %1")
                                                   .arg(Opened)))
                               .arg(scalar(db, QStringLiteral("SELECT COUNT(*) FROM trail_history")))
                               .arg(window.gridHistory->model()->rowCount())),
                read, open, bare, projects);
    window.hide();
}

// The window as it was before it read by pages: the users and every entry
// read, the list reset; so it opened, and so it followed each commit.
void readAsBefore(const Database &db, ListModel<History::Change> &model)
{
    History::users(db);
    model.setRows(History::changes(db, {}));
    QApplication::processEvents();
}

// Another writer's commit: a sale's sum changed through a connection of its own.
void commitAsAnother(Database &other)
{
    other.exec(QStringLiteral("UPDATE orders SET summ = summ + 1 WHERE order_id = 1"));
}

// The whole history after the million: read once, and in the window, as it
// was and as it is, opened and following another writer's commit.
void timeWholeHistoryAfterGrowth(TDm &dm, const QString &path, const Timing &projects)
{
    Database &db = *dm.ADOConnection;
    const Timing bare = timeRuns(1, [&] {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bare"));
        c.setDatabaseName(path);
        c.open();
        readEveryValue(c, QStringLiteral("SELECT * FROM trail_history ORDER BY change_id DESC"));
    });
    QSqlDatabase::removeDatabase(QStringLiteral("bare"));
    const Timing read = timeRuns(1, [&] { History::changes(db, {}); });
    History::Filter typed;
    typed.text = QStringLiteral("проект");
    const Timing filtered = timeRuns(1, [&] { History::changes(db, typed); });
    const Timing users = timeRuns(1, [&] { History::users(db); });

    ListModel<History::Change> before({QStringLiteral("Что")}, [](const History::Change &c, int) { return c.what(); },
                                      nullptr);
    std::unique_ptr<QTableView> beforeGrid(listGrid(nullptr, "before", &before));
    beforeGrid->resize(1000, 400);
    beforeGrid->show();
    Database other(QStringLiteral("other"));
    other.open(path);
    const Timing openedBefore = timeRuns(3, [&] { readAsBefore(db, before); });
    const Timing followedBefore = timeRuns(3, [&] { readAsBefore(db, before); }, [&] { commitAsAnother(other); });
    const int beforeRows = before.rowCount();
    beforeGrid.reset();

    TfrmHistory window;
    window.bindData();
    const auto timeOpening = [&] {
        return timeRuns(
            5,
            [&] {
                window.showFor(0);
                QApplication::processEvents();
            },
            [&] { window.hide(); });
    };
    const Timing opened = timeOpening();
    const int firstRows = window.gridHistory->model()->rowCount();
    // What the window does on the data module's word of a commit (its own
    // datasets' reading, the same before and now, not counted).
    const Timing followed = timeRuns(
        5,
        [&] {
            Q_EMIT dm.tablesChanged({});
            QApplication::processEvents();
        },
        [&] { commitAsAnother(other); });
    QAbstractItemModel *model = window.gridHistory->model();
    const Timing page = timeRuns(5, [&] { model->fetchMore({}); });
    window.editText->setText(typed.text);
    const Timing openedTyped = timeOpening();
    window.editText->clear();
    window.chkPeriod->setChecked(true); // the last month: every entry
    const Timing openedMonth = timeOpening();
    window.dtFrom->setDate(window.dtFrom->date().addYears(-1));
    window.dtTo->setDate(window.dtFrom->date());
    const Timing openedDay = timeOpening();
    std::printf("\nthe whole history with %d entries, ms (one run; the windows median of 3 before, 5 now):\n",
                beforeRows);
    std::printf("| read | wall | cpu | wall against the project scan | cpu against it |\n|---|---|---|---|---|\n");
    row("bare scan of the history rows", bare, projects);
    row("History::changes", read, projects);
    row("History::changes with a text", filtered, projects);
    row("History::users", users, projects);
    row("before: the window opened, every entry read", openedBefore, projects);
    row("before: another writer's commit followed", followedBefore, projects);
    row(qPrintable(QStringLiteral("now: the window opened, its first %1 entries").arg(firstRows)), opened,
        projects);
    row("now: another writer's commit followed", followed, projects);
    row("now: the next page read as the list scrolls", page, projects);
    row("now: the window opened with a text", openedTyped, projects);
    row("now: the window opened with the last month (all of it)", openedMonth, projects);
    row("now: the window opened with a day a year before (none)", openedDay, projects);
    std::printf("now against before: opened wall %.3f cpu %.3f, a commit followed wall %.3f cpu %.3f\n",
                opened.wall / openedBefore.wall, opened.cpu / openedBefore.cpu, followed.wall / followedBefore.wall,
                followed.cpu / followedBefore.cpu);
    window.hide();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1).filter(QRegularExpression(QStringLiteral("^[^-]")));
    QTemporaryDir dir;
    const QString path = copyOfCatalogue(args.value(0), dir);
    if (path.isEmpty())
        return 1;
    RecordingSeams seams;
    TDm dm(path);
    Dm = &dm;
    if (!dm.hasTrail()) {
        std::fprintf(stderr, "the catalogue did not get the history\n");
        return 1;
    }
    const bool windowOnly = app.arguments().contains(QStringLiteral("--window-only"));
    if (!windowOnly) {
        timeStatementPosts(*dm.ADOConnection);
        timeDatasetPosts(dm);
    }
    const Timing projects = plainScan(path, projectScanSql());
    timeWholeHistory(dm, path, projects);
    growHistory(*dm.ADOConnection);
    if (!windowOnly)
        timeProjectHistory(dm, path, projects);
    timeWholeHistoryAfterGrowth(dm, path, projects);
    Dm = nullptr;
    return 0;
}
