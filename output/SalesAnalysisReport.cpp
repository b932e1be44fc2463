#include "output/SalesAnalysisReport.h"

#include "data/core/Clock.h"


namespace {

constexpr qreal BodyWidth = 190;
constexpr qreal ChartTop = 20;
constexpr qreal ChartHeight = 95;
constexpr qreal MmPerInch = 25.4;
constexpr qreal PictureDpi = 96;

const QString Caption = QStringLiteral("caption");

QFont font(qreal points, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

ReportItem textItem(const QString &name, const QRectF &rect)
{
    ReportItem item;
    item.name = name;
    item.rect = rect;
    return item;
}

// The field of a cell: one per table and column, and a bold one for headings and totals.
QString cellField(int table, int column, bool bold)
{
    return QStringLiteral("t%1c%2%3").arg(table).arg(column).arg(bold ? QStringLiteral("b") : QString());
}

} // namespace

SalesAnalysisReport::SalesAnalysisReport(const QString &selection, const DrawSource &chart,
                                         const QList<PrintedTable> &tables)
    : m_chart(chart)
{
    report.name = QStringLiteral("repSalesAnalysis");
    report.font = font(10);
    report.data = this;
    for (int i = 0; i < tables.size(); ++i)
        addLines(i, tables.at(i));
    report.bands = {titleBand(selection), lineBand(tables), footerBand()};
}

QSize SalesAnalysisReport::chartPixels()
{
    return QSize(qRound(BodyWidth / MmPerInch * PictureDpi), qRound(ChartHeight / MmPerInch * PictureDpi));
}

bool SalesAnalysisReport::hasField(const QString &field) const
{
    return field == Caption || field.startsWith(QLatin1Char('t'));
}

QString SalesAnalysisReport::text(int row, const QString &field) const
{
    return row >= 0 && row < m_lines.size() ? m_lines.at(row).value(field) : QString();
}

// A blank line and the caption, the headings, then the rows.
void SalesAnalysisReport::addLines(int table, const PrintedTable &t)
{
    using Line = QHash<QString, QString>;
    m_lines.append(Line());
    m_lines.append(Line{{Caption, t.caption}});
    Line headings;
    for (int c = 0; c < t.headers.size(); ++c)
        headings.insert(cellField(table, c, true), t.headers.at(c));
    m_lines.append(headings);
    for (int r = 0; r < t.rows.size(); ++r) {
        Line line;
        for (int c = 0; c < t.rows.at(r).size(); ++c)
            line.insert(cellField(table, c, t.boldRows.contains(r)), t.rows.at(r).at(c));
        m_lines.append(line);
    }
}

ReportBand SalesAnalysisReport::titleBand(const QString &selection) const
{
    ReportBand band;
    band.kind = ReportBand::Kind::Title;
    band.name = QStringLiteral("bandTitle");
    band.height = ChartTop + ChartHeight + 2;

    ReportItem title = textItem(QStringLiteral("lblTitle"), QRectF(0, 0, BodyWidth, 9));
    title.fixedText = QStringLiteral("Анализ продаж");
    title.font = font(18, true);
    band.items.push_back(title);

    ReportItem chosen = textItem(QStringLiteral("lblSelection"), QRectF(0, 11, BodyWidth, 6));
    chosen.fixedText = selection;
    chosen.font = font(11);
    band.items.push_back(chosen);

    ReportItem chart;
    chart.kind = ReportItem::Kind::Drawing;
    chart.name = QStringLiteral("chart");
    chart.rect = QRectF(0, ChartTop, BodyWidth, ChartHeight);
    chart.draw = m_chart;
    band.items.push_back(chart);
    return band;
}

// One band for every line of every table: each table has its own columns,
// and a line fills only the fields of its table.
ReportBand SalesAnalysisReport::lineBand(const QList<PrintedTable> &tables) const
{
    ReportBand band;
    band.kind = ReportBand::Kind::Detail;
    band.name = QStringLiteral("bandLines");
    band.height = 6;

    ReportItem caption = textItem(Caption, QRectF(0, 0.5, BodyWidth, 5));
    caption.field = Caption;
    caption.font = font(12, true);
    caption.wrap = true;
    band.items.push_back(caption);

    for (int t = 0; t < tables.size(); ++t) {
        const PrintedTable &table = tables.at(t);
        qreal left = 0;
        for (int c = 0; c < table.widths.size(); ++c) {
            const qreal width = table.widths.at(c);
            for (bool bold : {false, true}) {
                ReportItem cell = textItem(cellField(t, c, bold), QRectF(left, 0.5, width - 2, 5));
                cell.field = cell.name;
                cell.align = (c < table.textColumns ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop;
                if (bold)
                    cell.font = font(10, true);
                band.items.push_back(cell);
            }
            left += width;
        }
    }
    return band;
}

ReportBand SalesAnalysisReport::footerBand() const
{
    ReportBand band;
    band.kind = ReportBand::Kind::PageFooter;
    band.name = QStringLiteral("bandFooter");
    band.height = 10;
    ReportItem page = textItem(QStringLiteral("pageNumber"), QRectF(0, 3, 60, 5));
    page.text = [](const ReportContext &c) { return QStringLiteral("Страница %1 из %2").arg(c.page).arg(c.pageCount); };
    band.items.push_back(page);
    ReportItem now = textItem(QStringLiteral("printedAt"), QRectF(BodyWidth - 80, 3, 78, 5));
    now.text = [](const ReportContext &) { return Clock::now().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")); };
    now.align = Qt::AlignRight | Qt::AlignTop;
    band.items.push_back(now);
    return band;
}
