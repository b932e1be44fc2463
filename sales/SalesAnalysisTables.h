#pragma once

#include "data/sales/SalesAnalysis.h"
#include "output/SalesAnalysisReport.h"

// The two tables of the sales analysis as texts, as the window shows them
// and the page prints them, so the two never differ.

// An amount as the tables show it: plain decimal text with the comma.
QString moneyText(Money m);
// Every period of the range with its count, sum and mean, then the total (bold).
PrintedTable periodsTable(const SalesReport &report, SalesPeriod period);
// The projects that sold best, largest sum first.
PrintedTable projectsTable(const SalesReport &report);
