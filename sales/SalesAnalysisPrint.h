#pragma once

#include "data/sales/SalesAnalysis.h"

#include "output/BandedReport.h"

#include <QString>

class QWidget;

// The print of the sales analysis: the figures the window shows (report,
// totalled per period), the selection in words and the chart painted into
// its box on the page, in the preview over parent.
void printSalesAnalysis(QWidget *parent, const SalesReport &report, SalesPeriod period, const QString &selection,
                        const DrawSource &chart);
