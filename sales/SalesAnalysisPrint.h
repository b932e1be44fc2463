#pragma once

#include "data/sales/SalesAnalysis.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

class QWidget;

// The print of the sales analysis: the figures the window shows (report,
// totalled per period), the selection in words and the chart drawn at the
// size of the page's picture, in the preview over parent.
void printSalesAnalysis(QWidget *parent, const SalesReport &report, SalesPeriod period, const QString &selection,
                        const std::function<QImage(const QSize &)> &chart);
