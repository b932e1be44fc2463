// Times the search of the main window on a large catalogue, from the click on
// "Найти" to the repainted project list. Not run by CTest:
//   QT_QPA_PLATFORM=offscreen build/bench_search [projects]
#include "BenchTiming.h"
#include "app/DBGrid.h"
#include "program/WindowSet.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void fill(TestDb &db, int projects)
{
    db.exec("BEGIN");
    for (int c = 1; c <= 20; ++c)
        db.exec("INSERT INTO category (catName) VALUES (?)", {QStringLiteral("Категория %1").arg(c)});
    for (int y = 2000; y < 2014; ++y)
        db.exec("INSERT INTO years (name) VALUES (?)", {QString::number(y)});
    for (int v = 1; v <= 6; ++v)
        db.exec("INSERT INTO ide (ide) VALUES (?)", {QStringLiteral("Среда %1").arg(v)});
    for (int i = 1; i <= projects; ++i)
        db.exec("INSERT INTO projects (cat_id, year_id, version_id, tovName, price, project_begin, isExports,"
                " isExportsDesc) VALUES (?, ?, ?, ?, ?, '2010-01-01', 1, 0)",
                {1 + i % 20, 1 + i % 14, 1 + i % 6, QStringLiteral("Бухгалтерия проект %1").arg((i * 7919) % 1000003),
                 qlonglong(i % 5000) * 10000});
    db.exec("COMMIT");
}

// The medians of several runs of one user action, with the list repainted.
Timing measure(const std::function<void()> &action)
{
    return timeRuns(7, [&] {
        action();
        frmMain->gridAuto->viewport()->repaint();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int projects = argc > 1 ? atoi(argv[1]) : 100000;
    RecordingSeams seams;
    TestDb db;
    fill(db, projects);
    createWindowSet(db.path());
    frmMain->show();
    QApplication::processEvents();

    std::printf("search over %d projects, click to repainted list (ms, median of 7; target 50)\n", projects);
    std::printf("%-40s %8s %8s\n", "", "wall", "cpu");
    auto row = [](const char *name, Timing t) { std::printf("%-40s %8.1f %8.1f\n", name, t.wall, t.cpu); };

    frmMain->editTovName->setText(QStringLiteral("ПРОЕКТ 99"));
    row("name (upper case)", measure([] { frmMain->BtnSearch->click(); }));
    frmMain->editTovName->clear();
    frmMain->editPrice->setText(QStringLiteral("1000"));
    row("price >= 1000", measure([] { frmMain->BtnSearch->click(); }));
    frmMain->editTovName->setText(QStringLiteral("проект 1"));
    frmMain->checkYear->setChecked(true);
    frmMain->checkIde->setChecked(true);
    frmMain->cbIde->setCurrentIndex(2);
    row("name, year, IDE and price", measure([] { frmMain->BtnSearch->click(); }));
    frmMain->editTovName->setText(QStringLiteral("O'Neil"));
    row("name with an apostrophe, nothing found", measure([] { frmMain->BtnSearch->click(); }));
    frmMain->checkIde->setChecked(false);
    frmMain->btnClear->click();
    row("no criterion: every project", measure([] { frmMain->BtnSearch->click(); }));
    row("clear: back to the category", measure([] { frmMain->btnClear->click(); }));
    // Where the time of a search goes: the data layer's two filter switches.
    Dataset *list = Dm->tblProject;
    row("  of which: filter off", measure([list] { list->setFiltered(false); }));
    list->setFilter(QStringLiteral("tovName LIKE '%проект 99%'"));
    row("  of which: name filter on", measure([list] { list->setFiltered(true); }));
    std::printf("errors shown: %d\n", int(seams.errors.size()));

    destroyWindowSet();
    return 0;
}
