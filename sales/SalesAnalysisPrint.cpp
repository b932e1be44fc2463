// The print command of the sales analysis window: what its tables and chart
// show, through the banded report and the preview.

#include "sales/SalesAnalysisPrint.h"

#include "app/Seams.h"
#include "output/SalesAnalysisReport.h"
#include "sales/SalesAnalysisTables.h"

#include <QWidget>

void printSalesAnalysis(QWidget *parent, const SalesReport &report, SalesPeriod period, const QString &selection,
                        const DrawSource &chart)
{
    const SalesAnalysisReport printed(selection, chart, {periodsTable(report, period), projectsTable(report)});
    seams().preview(parent, QStringLiteral("Предварительный просмотр"), [parent, &printed](QPrinter *printer) {
        printReport(printed.report, parent->font(), printer);
    });
}
