#pragma once

#include "output/BandedReport.h"

#include <QList>
#include <QStringList>
#include <QVector>

// A table as printed: a caption over its column headings, then its rows;
// the rows named bold are totals.
struct PrintedTable {
    QString caption;
    QStringList headers;
    QList<QStringList> rows;
    QList<int> boldRows;
    QList<qreal> widths; // millimetres, one per column
    int textColumns = 1; // leading columns aligned left; the others are figures
};

// The printed sales analysis: a title with the chosen selection and the
// chart, then the tables line by line, and the time of printing on every page.
class SalesAnalysisReport : public ReportData
{
public:
    // chart paints the chart into its box on the page.
    SalesAnalysisReport(const QString &selection, const DrawSource &chart, const QList<PrintedTable> &tables);
    // The report reads its lines from this object.
    SalesAnalysisReport(const SalesAnalysisReport &) = delete;
    SalesAnalysisReport &operator=(const SalesAnalysisReport &) = delete;

    BandedReport report;

    // The chart's box on paper as screen pixels (96 an inch): the size to lay
    // the chart out at, so its texts keep their size against it.
    static QSize chartPixels();

    int rowCount() const override { return int(m_lines.size()); }
    bool hasField(const QString &field) const override;
    QString text(int row, const QString &field) const override;
    QByteArray bytes(int, const QString &) const override { return {}; }

private:
    ReportBand titleBand(const QString &selection) const;
    ReportBand lineBand(const QList<PrintedTable> &tables) const;
    ReportBand footerBand() const;
    void addLines(int table, const PrintedTable &t);

    QVector<QHash<QString, QString>> m_lines;
    DrawSource m_chart;
};
