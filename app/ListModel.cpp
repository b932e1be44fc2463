#include "app/ListModel.h"

#include <QHeaderView>
#include <QTableView>

QTableView *listGrid(QWidget *parent, const char *name, QAbstractItemModel *model)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(QLatin1String(name));
    grid->setModel(model);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return grid;
}
