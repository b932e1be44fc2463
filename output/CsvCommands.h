#pragma once

#include "app/GridColumn.h"

#include <QList>

class QWidget;

// "Экспорт" → "Проекты в CSV…" and "Продажи в CSV…": the file is asked for
// over parent; a failed write shows the standard error box.

// The listed projects, in the given columns of the project grid.
void exportProjectsCsv(QWidget *parent, const QList<GridColumn> &columns);
// Every sale of the listed projects.
void exportSalesCsv(QWidget *parent);
