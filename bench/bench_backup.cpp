// Times a backup of a large catalogue against a plain file copy. Not run by CTest:
//   build/bench_backup [projects] [pictures]
// The default, 100000 projects of which 2200 carry a 400 x 315 screenshot
// and one sale each, makes a file of about 850 MB. The online backup reads
// through SQLite page by page; cp copies the bytes of a file nobody writes.
#include "BenchScreenshot.h"
#include "BenchTiming.h"
#include "data/backup/Backup.h"
#include "support/TestDb.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void fill(TestDb &db, int projects, int pictures)
{
    db.exec("BEGIN");
    for (int c = 1; c <= 20; ++c)
        db.exec("INSERT INTO category (catName) VALUES (?)", {QStringLiteral("Категория %1").arg(c)});
    db.exec("INSERT INTO years (name) VALUES ('2013')");
    const QByteArray bmp = benchScreenshot();
    const int every = pictures > 0 ? projects / pictures : 0;
    for (int i = 1; i <= projects; ++i) {
        db.exec("INSERT INTO projects (cat_id, year_id, tovName, price, project_begin, description, isExports,"
                " isExportsDesc, screenshots) VALUES (?, 1, ?, ?, '2010-01-01', ?, 1, 0, ?)",
                {1 + i % 20, QStringLiteral("Проект номер %1").arg(i), qlonglong(i) * 12345,
                 QStringLiteral("Описание проекта %1: учёт, отчёты и печать").arg(i),
                 every > 0 && i % every == 0 ? QVariant(bmp) : QVariant()});
        db.exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (?, '2011-01-01', 10000)", {i});
    }
    db.exec("COMMIT");
}

double seconds(const std::function<void()> &fn)
{
    return elapsedMs(fn) / 1e3;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int projects = argc > 1 ? atoi(argv[1]) : 100000;
    const int pictures = argc > 2 ? atoi(argv[2]) : 2200;

    TestDb db;
    fill(db, projects, pictures);
    const qint64 size = QFileInfo(db.path()).size();

    // Each copy three times, interleaved, so a busy machine weighs on all alike; medians.
    const QString plain = db.dir() + QStringLiteral("/plain.mdb");
    std::vector<double> backup, cp, cpSync;
    QString copy;
    for (int run = 0; run < 3; ++run) {
        backup.push_back(seconds([&] { copy = Backup::make(db.path()); }));
        QFile::remove(copy);
        cp.push_back(seconds([&] { QProcess::execute(QStringLiteral("cp"), {db.path(), plain}); }));
        QFile::remove(plain);
        // The backup commits its copy to the disk; cp leaves it in the page cache.
        cpSync.push_back(seconds([&] {
            QProcess::execute(QStringLiteral("cp"), {db.path(), plain});
            QProcess::execute(QStringLiteral("sync"), {plain});
        }));
        QFile::remove(plain);
    }
    copy = Backup::make(db.path());
    const Backup::Copy check = Backup::inspect(copy, true);
    const double base = medianOf(cp);

    std::printf("file of %d projects: %.0f MB\n", projects, size / 1e6);
    std::printf("| copy | seconds (median of 3) | against cp |\n|---|---|---|\n");
    std::printf("| online backup | %.2f | %.2f |\n", medianOf(backup), medianOf(backup) / base);
    std::printf("| cp | %.2f | 1.00 |\n", base);
    std::printf("| cp, then sync of the copy | %.2f | %.2f |\n", medianOf(cpSync), medianOf(cpSync) / base);
    std::printf("copy sound: %s, %lld projects\n", check.isUsable() ? "yes" : qPrintable(check.problem),
                check.projects);
    return check.isUsable() && check.projects == projects ? 0 : 1;
}
