// Ordering of the project list: one column, ascending or descending. The
// order is the sort of tblProject, so it survives every change of filter.

#include "main/Unit_tr.h"

#include "data/module/UnitDM.h"

#include <QAction>

QString sortField;
QString sortOrder;

void TfrmMain::sortExec()
{
    Dm->tblProject->setSort(sortField + sortOrder);
}

void TfrmMain::sortBy(const QString &field)
{
    sortField = field;
    sortExec();
}

void TfrmMain::setSortOrder(const QString &order, QAction *checked)
{
    sortOrder = order;
    mnuOrderAsc->setChecked(checked == mnuOrderAsc);
    mnuOrderDesc->setChecked(checked == mnuOrderDesc);
    if (!sortField.isEmpty())
        sortExec();
}

void TfrmMain::mnuSortKodClick(QObject *) { sortBy(QStringLiteral("project_id")); }
void TfrmMain::N5Click(QObject *) { sortBy(QStringLiteral("cat_id")); }
void TfrmMain::mnuSortTovNameClick(QObject *) { sortBy(QStringLiteral("tovName")); }
void TfrmMain::N14Click(QObject *) { sortBy(QStringLiteral("year_id")); }
void TfrmMain::N10Click(QObject *) { sortBy(QStringLiteral("project_begin")); }
void TfrmMain::N12Click(QObject *) { sortBy(QStringLiteral("project_end")); }
void TfrmMain::N15Click(QObject *) { sortBy(QStringLiteral("datetime_update")); }
void TfrmMain::N9Click(QObject *) { sortBy(QStringLiteral("price")); }

void TfrmMain::mnuOrderAscClick(QObject *) { setSortOrder(QStringLiteral(" ASC"), mnuOrderAsc); }
void TfrmMain::mnuOrderDescClick(QObject *) { setSortOrder(QStringLiteral(" DESC"), mnuOrderDesc); }
