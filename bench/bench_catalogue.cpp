// Times the program on a large catalogue against a plain scan of the same
// rows, all in one run, so the ratios hold on a loaded machine. Not run by CTest:
//   QT_QPA_PLATFORM=offscreen build/bench_catalogue [projects] [--server URL]
// The generated catalogue (projects, ten sales each, a picture on every 50th)
// is kept in the temporary folder and reused by later runs. With --server the
// catalogue is a PostgreSQL database instead: URL names one that is empty (it
// is filled) or that an earlier run filled, e.g. on the private test server:
//   tools/test-server.sh sh -c 'build/bench_catalogue --server "$PROJECTSALES_TEST_PG"'
#include "BenchScreenshot.h"
#include "BenchScan.h"
#include "BenchTiming.h"
#include "app/DBGrid.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "program/WindowSet.h"
#include "support/RecordingSeams.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlError>
#include <QSqlRecord>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const char *const ProjectColumns = "project_id, cat_id, year_id, version_id, tovName, price, description,"
                                   " project_begin, project_end, datetime_update, path_repository,"
                                   " isExports, isExportsDesc";

void run(QSqlQuery &q, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec())
        qFatal("%s: %s", qPrintable(q.lastQuery()), qPrintable(q.lastError().text()));
}

// The same rows on either engine; keys count from 1 in a new catalogue.
void generate(const QString &location, int projects)
{
    Database::create(location);
    Database db(QStringLiteral("gen"));
    db.open(location);
    const auto statement = [&db](const char *sql) {
        QSqlQuery q(db.connection());
        if (!q.prepare(db.engine().dialect(QString::fromUtf8(sql))))
            qFatal("%s: %s", sql, qPrintable(q.lastError().text()));
        return q;
    };
    if (!Engine::isServerUrl(location))
        QSqlQuery(db.connection()).exec(QStringLiteral("PRAGMA synchronous = OFF"));
    db.connection().transaction();
    QSqlQuery category = statement("INSERT INTO category (catName) VALUES (?)");
    for (int i = 1; i <= 20; ++i)
        run(category, {QStringLiteral("Категория %1").arg(i)});
    QSqlQuery year = statement("INSERT INTO years (name) VALUES (?)");
    for (int y = 2000; y < 2014; ++y)
        run(year, {QString::number(y)});
    QSqlQuery ide = statement("INSERT INTO ide (ide) VALUES (?)");
    for (int i = 1; i <= 6; ++i)
        run(ide, {QStringLiteral("Среда %1").arg(i)});
    const QStringList words = {"Бухгалтерия", "Ёлка", "склад", "Елена", "Учёт", "Shop", "игра", "Zeta"};
    const QByteArray bmp = benchScreenshot();
    QSqlQuery project = statement("INSERT INTO projects (cat_id, year_id, version_id, tovName, price, description,"
                                  " project_begin, isExports, isExportsDesc, screenshots)"
                                  " VALUES (?, ?, ?, ?, ?, ?, ?, 1, 0, ?)");
    // A project's ten sales in one statement: a server answers each one.
    QSqlQuery sales = statement("INSERT INTO orders (project_id, date_orders, summ, comments) VALUES"
                                " (?, ?, ?, ?), (?, ?, ?, ?), (?, ?, ?, ?), (?, ?, ?, ?), (?, ?, ?, ?),"
                                " (?, ?, ?, ?), (?, ?, ?, ?), (?, ?, ?, ?), (?, ?, ?, ?), (?, ?, ?, ?)");
    const QDate start(2010, 1, 1);
    for (int i = 1; i <= projects; ++i) {
        const int n = (i * 7919) % 1000003;
        run(project, {1 + i % 20, 1 + i % 14, 1 + i % 6, QStringLiteral("%1 проект %2").arg(words[i % 8]).arg(n),
                      qlonglong(i % 5000) * 10000 + 5000, QStringLiteral("Описание проекта номер %1").arg(i),
                      start.addDays(i % 1500).toString(Qt::ISODate),
                      i % 50 == 0 ? QVariant(bmp) : QVariant(QMetaType(QMetaType::QByteArray))});
        QVariantList values;
        for (int s = 0; s < 10; ++s)
            values << i << start.addDays((i + s * 37) % 1500).toString(Qt::ISODate) << qlonglong(s + 1) * 1000000
                   << (s % 3 ? QVariant(QMetaType(QMetaType::QString)) : QVariant(QStringLiteral("Продажа")));
        run(sales, values);
    }
    if (!db.connection().commit())
        qFatal("commit: %s", qPrintable(db.connection().lastError().text()));
    // As the copy tool leaves a catalogue it filled.
    db.engine().settleAfterLoad(db);
}

// The medians of several runs; prepare runs untimed before each.
Timing median(int runs, const std::function<void()> &action, const std::function<void()> &prepare = {})
{
    return timeRuns(runs, action, prepare);
}

Timing once(const std::function<void()> &action)
{
    return timeRuns(1, action);
}

Timing plainScan(const QString &location)
{
    Timing t{};
    {
        const bool server = Engine::isServerUrl(location);
        QSqlDatabase c = QSqlDatabase::addDatabase(server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"),
                                                   QStringLiteral("scan"));
        const std::unique_ptr<Engine> engine = Engine::forLocation(location);
        if (server) {
            engine->connect(c, location);
        } else {
            c.setDatabaseName(location);
            c.open();
        }
        // The table's rows, as this measure always read them: the list's
        // own index on the file would otherwise answer it too.
        const QString sql = engine->dialect(QStringLiteral("SELECT %1 FROM projects%3 ORDER BY %2")
                                                .arg(ProjectColumns, server ? "project_id" : "rowid",
                                                     server ? "" : " NOT INDEXED"));
        const auto scan = [&c, &sql] { readEveryValue(c, sql); };
        scan(); // the file into the system's cache
        t = median(3, scan);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("scan"));
    return t;
}

// A figure of /proc/self/status in MB: VmHWM the peak, VmRSS what is held now.
double statusMegabytes(const QByteArray &name = "VmHWM:")
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

double peakMegabytes() { return statusMegabytes(); }
double heldMegabytes() { return statusMegabytes("VmRSS:"); }

void repaintProjects() { frmMain->gridAuto->viewport()->repaint(); }

int measure(const QString &path, int projects, const QString &engineName)
{
    RecordingSeams seams;
    const double atStart = heldMegabytes();
    const Timing scan = plainScan(path);
    Timing open{};
    {
        // Its own snapshot, no window bound, as at start; freed before the
        // program's own start-up, so it does not add to the peak.
        TDm module(path);
        open = median(3, [&] { module.tblProject->open(); }, [&] { module.tblProject->close(); });
    }
    const double beforeStartup = heldMegabytes();
    const Timing startup = once([&] {
        createWindowSet(path);
        frmMain->show();
        QApplication::processEvents();
        frmMain->repaint();
    });
    const double afterStartup = heldMegabytes();
    Dataset *list = Dm->tblProject;
    // A user looks at the window for a moment before the first click.
    QTimer::singleShot(500, [] { QApplication::exit(); });
    QApplication::exec();
    Dm->tblCategory->setRecNo(2);
    const Timing firstSwitch = once([] {
        frmMain->gridCatalogCellClick();
        repaintProjects();
    });

    int category = 0;
    const Timing categorySwitch = median(9, [] {
        frmMain->gridCatalogCellClick();
        repaintProjects();
    }, [&] { Dm->tblCategory->setRecNo(1 + category++ % Dm->tblCategory->recordCount()); });
    const Timing nameSearch = median(7, [list] {
        list->setFilter(QStringLiteral("tovName LIKE '%99%'"));
        list->setFiltered(true);
    }, [list] { list->setFiltered(false); });
    frmMain->editTovName->setText(QStringLiteral("ПРОЕКТ 99"));
    const Timing searchClick = median(7, [] {
        frmMain->BtnSearch->click();
        repaintProjects();
    }, [list] { list->setFiltered(false); });
    const int found = list->recordCount();
    list->setFiltered(false); // the whole catalogue: the largest sort
    const auto sortBy = [list](const char *column) {
        return [list, column] {
            list->setSort(QLatin1String(column));
            repaintProjects();
        };
    };
    const Timing sortName = median(5, sortBy("tovName"), [list] { list->setSort(QStringLiteral("price")); });
    const Timing sortPrice = median(5, sortBy("price DESC"), [list] { list->setSort(QStringLiteral("tovName")); });
    // The next project and its sales, as the data layer holds them.
    const Timing detail = median(21, [] { Dm->tblProject->next(); });
    const Timing grid = median(21, repaintProjects);
    const double peak = peakMegabytes();

    std::printf("catalogue of %d projects (%s), %d found by the search; ms are medians\n", projects,
                qPrintable(engineName), found);
    // The CPU time of the thread beside the wall time: on a loaded machine
    // it is what the program would take on an idle one.
    // Beside each figure, the file's as it stood before this version's work
    // on memory and speed (100,000 projects, the same measure; a ratio moves
    // with the scan's own time too), so nothing that gets slower goes unseen.
    std::printf("%-34s %9s %9s %9s %9s  %-4s  %s\n", "figure", "ms", "ratio", "cpu ratio", "target", "", "before");
    bool allOk = true;
    const bool onServer = engineName == QLatin1String("server");
    const auto line = [&](const char *name, Timing value, double target, const char *before) {
        const double ratio = value.wall / scan.wall;
        const double cpuRatio = value.cpu / scan.cpu;
        const bool ok = ratio <= target;
        allOk = allOk && ok;
        std::printf("%-34s %9.1f %8.2f%% %8.2f%% %8.2f%%  %-4s  %s\n", name, value.wall, ratio * 100, cpuRatio * 100,
                    target * 100, ok ? "ok" : "SLOW", onServer ? "" : before);
    };
    std::printf("%-34s %9.1f %8.2f%% %8.2f%%\n", "plain scan of the project columns", scan.wall, 100.0, 100.0);
    line("open tblProject", open, onServer ? 1.3 : 1.2, "90-104%");
    line("start-up to the painted window", startup, 1.2, "150%");
    line("first category switch after start", firstSwitch, 0.02, "");
    line("category switch and repaint", categorySwitch, onServer ? 0.02 : 0.004, "0.70%");
    line("name search LIKE '%99%'", nameSearch, 0.015, "1.2-3%");
    line("search, click to repaint", searchClick, 0.04, "");
    line("sort by name and repaint", sortName, 0.20, "0.40%");
    line("sort by price and repaint", sortPrice, 0.05, "0.40%");
    line("detail switch", detail, 0.0005, "0.07-0.11%");
    line("grid repaint", grid, 0.015, "");
    const bool small = peak <= 115;
    std::printf("%-34s %8.0f MB %18s  %-4s  %s\n", "peak memory (VmHWM)", peak, "115 MB", small ? "ok" : "SLOW",
                onServer ? "" : "150 MB");
    std::printf("%-34s %8.0f MB\n", "  held at start (Qt, libraries)", atStart);
    std::printf("%-34s %8.0f MB\n", "  held before the window set", beforeStartup);
    std::printf("%-34s %8.0f MB\n", "  added by start-up (rows, windows)", afterStartup - beforeStartup);
    std::printf("%-34s %8.0f MB\n", "  held after switch, search, sorts", heldMegabytes());
    std::printf("errors shown: %d\n", int(seams.errors.size()));
    destroyWindowSet();
    return allOk && small ? 0 : 1;
}

// Whether the server database holds the catalogue already; empty ones are
// filled, anything else is refused.
bool serverHolds(const QString &url, int projects)
{
    Database db(QStringLiteral("probe"));
    db.open(url);
    if (db.tables().isEmpty())
        return false;
    QSqlQuery q = db.exec(QStringLiteral("SELECT count(*) FROM projects"));
    if (!q.next() || q.value(0).toInt() != projects)
        qFatal("%s holds tables but not the catalogue of %d projects: give an empty database", qPrintable(url),
               projects);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("projects"), QStringLiteral("projects in the catalogue (100000)"));
    const QCommandLineOption serverOption(QStringLiteral("server"),
                                          QStringLiteral("a PostgreSQL database (postgresql://...) instead of a file"),
                                          QStringLiteral("url"));
    parser.addOption(serverOption);
    parser.process(app);
    const int projects = parser.positionalArguments().value(0, QStringLiteral("100000")).toInt();
    if (projects < 1)
        parser.showHelp(2);
    const QString server = parser.value(serverOption);
    QString location = server;
    bool fresh = false;
    try {
        if (!server.isEmpty()) {
            if (!Engine::isServerUrl(server))
                qFatal("--server takes a postgresql:// URL");
            if ((fresh = !serverHolds(server, projects))) {
                std::printf("generating the catalogue on the server ...\n");
                std::fflush(stdout);
                generate(server, projects);
            }
        } else {
            location = QDir::temp().filePath(QStringLiteral("projectsales-bench-%1-v1.mdb").arg(projects));
            if ((fresh = !QFile::exists(location))) {
                const QString partial = location + QStringLiteral(".part");
                QFile::remove(partial);
                std::printf("generating %s ...\n", qPrintable(location));
                std::fflush(stdout);
                generate(partial, projects);
                QFile::rename(partial, location);
            }
        }
    } catch (const DataError &e) {
        qFatal("%s", qPrintable(e.text()));
    }
    // Measure in a fresh process, so the peak memory is the program's alone.
    if (fresh)
        return QProcess::execute(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
    return measure(location, projects, server.isEmpty() ? QStringLiteral("file") : QStringLiteral("server"));
}
