// The print command of the sales analysis window: what its tables and chart
// show, through the banded report and the preview.

#include "sales/Unit_sales_analysis.h"

#include "app/Seams.h"
#include "output/SalesAnalysisReport.h"

#include <QTableWidget>

namespace {

PrintedTable printedTable(const QString &caption, const QTableWidget *grid, const QList<qreal> &widths,
                          int textColumns)
{
    PrintedTable t;
    t.caption = caption;
    t.widths = widths;
    t.textColumns = textColumns;
    for (int c = 0; c < grid->columnCount(); ++c)
        t.headers << grid->horizontalHeaderItem(c)->text();
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->columnCount(); ++c)
            row << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        if (grid->item(r, 0) && grid->item(r, 0)->font().bold())
            t.boldRows << r;
        t.rows << row;
    }
    return t;
}

} // namespace

void TfrmSalesAnalysis::btnPrintClick(QObject *)
{
    const SalesAnalysisReport printed(
        selectionText(), chartImage(SalesAnalysisReport::chartPixels()),
        {printedTable(QStringLiteral("Продажи по периодам"), gridPeriods, {60, 30, 50, 50}, 1),
         printedTable(QStringLiteral("Лучшие проекты"), gridProjects, {85, 45, 20, 40}, 2)});
    seams().preview(this, QStringLiteral("Предварительный просмотр"), [this, &printed](QPrinter *printer) {
        printReport(printed.report, font(), printer);
    });
}
