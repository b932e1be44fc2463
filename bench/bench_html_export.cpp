// Times the HTML catalogue export of a large list. Not run by CTest:
//   build/bench_html_export [projects] [with pictures]
// Every project is marked for export; one in every (projects / pictures)
// carries a 400 x 315 screenshot. The target is under 5 s for 10000 / 2000.
#include "BenchScreenshot.h"
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

void fill(TestDb &db, int projects, int pictures)
{
    db.exec("BEGIN");
    db.exec("INSERT INTO category (catName) VALUES ('Каталог')");
    db.exec("INSERT INTO years (name) VALUES ('2013')");
    db.exec("INSERT INTO ide (ide) VALUES ('Студия')");
    const QByteArray bmp = benchScreenshot();
    const int every = pictures > 0 ? projects / pictures : 0;
    for (int i = 1; i <= projects; ++i)
        db.exec("INSERT INTO projects (cat_id, year_id, version_id, tovName, price, datetime_update,"
                " description, isExports, isExportsDesc, screenshots)"
                " VALUES (1, 1, 1, ?, ?, '2013-05-01 12:30:00', ?, 1, ?, ?)",
                {QStringLiteral("Проект номер %1").arg(i), qlonglong(i) * 12345,
                 QStringLiteral("Описание проекта %1: учёт, отчёты & <b>печать</b>").arg(i), i % 2,
                 every > 0 && i % every == 0 ? QVariant(bmp) : QVariant()});
    db.exec("COMMIT");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int projects = argc > 1 ? atoi(argv[1]) : 10000;
    const int pictures = argc > 2 ? atoi(argv[2]) : projects / 5;

    TestDb db;
    fill(db, projects, pictures);
    db.openDm();
    RecordingSeams seams;
    TfrmMain window;
    window.bindData();
    window.filterCategory();
    Dm->tblProject->setSort(QStringLiteral("tovName"));

    QTemporaryDir out;
    seams.saveFileAnswers.enqueue(out.filePath(QStringLiteral("catalog")));
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    window.mnuExportCatClick(window.mnuExportCat);
    const double ms = timer.nsecsElapsed() / 1e6;
    // The processor time tells the export's own cost apart from a busy machine.
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    int files = 0;
    qint64 bytes = 0;
    for (QDirIterator it(out.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext(); ++files)
        bytes += QFileInfo(it.next()).size();
    std::printf("export of %d projects (%d with pictures): %.0f ms (%.0f ms processor), %d files, %.1f MB%s\n",
                projects, pictures, ms, cpuMs, files, bytes / 1e6, seams.errors.isEmpty() && seams.notices.isEmpty() ? "" : ", FAILED");
    return seams.errors.isEmpty() && seams.notices.isEmpty() ? 0 : 1;
}
