// Times the data module on large generated catalogues. Not run by CTest:
//   build/bench_catalogue [projects]
// Prints milliseconds and the ratios that matter: how the operations scale
// from a small to a large catalogue, and what reading pictures on demand saves.
#include "data/UnitDM.h"
#include "support/TestDb.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>

namespace {

QByteArray picture()
{
    QImage image(400, 315, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

void fill(TestDb &db, int projects)
{
    db.exec("BEGIN");
    for (int c = 1; c <= 20; ++c)
        db.exec("INSERT INTO category (catName) VALUES (?)", {QStringLiteral("Категория %1").arg(c)});
    for (int y = 2000; y < 2014; ++y)
        db.exec("INSERT INTO years (name) VALUES (?)", {QString::number(y)});
    const QByteArray bmp = picture();
    for (int i = 1; i <= projects; ++i) {
        db.exec("INSERT INTO projects (cat_id, year_id, tovName, price, project_begin, isExports, isExportsDesc,"
                " screenshots) VALUES (?, ?, ?, ?, '2010-01-01', 1, 0, ?)",
                {1 + i % 20, 1 + i % 14, QStringLiteral("Проект номер %1").arg((i * 7919) % 1000003),
                 qlonglong(i) * 12345, i % 10 == 0 ? QVariant(bmp) : QVariant()});
        db.exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (?, '2011-01-01', 10000)", {i});
    }
    db.exec("COMMIT");
}

struct Timings {
    double open, filter, search, sort, scroll;
};

template <typename Fn> double ms(Fn fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e6;
}

Timings measure(int projects)
{
    TestDb db;
    fill(db, projects);
    Timings r{};
    TDm *dm = nullptr;
    r.open = ms([&] { dm = db.openDm(); });
    r.filter = ms([&] {
        dm->tblProject->setFilter("cat_id='7'");
        dm->tblProject->setFiltered(true);
    });
    r.search = ms([&] {
        dm->tblProject->setFiltered(false);
        dm->tblProject->setFilter("tovName LIKE '%99%' AND price>='1000'");
        dm->tblProject->setFiltered(true);
    });
    dm->tblProject->setFiltered(false);
    r.sort = ms([&] { dm->tblProject->setSort("tovName DESC"); });
    r.scroll = ms([&] {
        dm->tblProject->first();
        for (int i = 0; i < 1000 && !dm->tblProject->eof(); ++i)
            dm->tblProject->next(); // each move reloads the sales of the new row
    });
    return r;
}

double eagerPictureLoad(int projects)
{
    TestDb db;
    fill(db, projects);
    QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "eager");
    c.setDatabaseName(db.path());
    c.open();
    double t = 0;
    {
        QSqlQuery q(c);
        t = ms([&] {
            q.exec("SELECT * FROM projects");
            while (q.next())
                q.value("screenshots");
        });
    }
    c = QSqlDatabase();
    QSqlDatabase::removeDatabase("eager");
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int large = argc > 1 ? atoi(argv[1]) : 100000;
    const int small = large / 10;
    const Timings s = measure(small);
    const Timings l = measure(large);
    std::printf("%-28s %10s %10s %8s\n", "operation (ms)", "small", "large", "ratio");
    auto row = [](const char *name, double a, double b) { std::printf("%-28s %10.1f %10.1f %8.1f\n", name, a, b, b / a); };
    std::printf("catalogue of %d and %d projects\n", small, large);
    row("open data module", s.open, l.open);
    row("category filter", s.filter, l.filter);
    row("search filter (LIKE, price)", s.search, l.search);
    row("sort by name", s.sort, l.sort);
    row("1000 moves with sales", s.scroll, l.scroll);
    const double eager = eagerPictureLoad(large);
    std::printf("snapshot with pictures read eagerly / open with pictures on demand: %.1f\n", eager / l.open);
    return 0;
}
