#include "output/BandedReport.h"

#include "output/BandLayout.h"

#include <algorithm>
#include <cmath>

ReportBand *BandedReport::band(const QString &bandName)
{
    for (ReportBand &b : bands)
        if (b.name == bandName)
            return &b;
    return nullptr;
}

const ReportBand *BandedReport::firstBand(ReportBand::Kind kind) const
{
    for (const ReportBand &b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

QPageLayout BandedReport::pageLayout() const
{
    return QPageLayout(pageSize, orientation, margins, QPageLayout::Millimeter);
}

QSizeF BandedReport::bodySize() const
{
    return pageLayout().paintRect(QPageLayout::Millimeter).size();
}

QStringList ReportPage::texts() const
{
    std::vector<const PlacedElement *> sorted;
    for (const PlacedElement &e : elements)
        if (e.kind == ReportItem::Kind::Text)
            sorted.push_back(&e);
    // Rows of text a tenth of a millimetre apart count as one row.
    std::stable_sort(sorted.begin(), sorted.end(), [](const PlacedElement *a, const PlacedElement *b) {
        const qint64 ya = std::llround(a->rect.top() * 10), yb = std::llround(b->rect.top() * 10);
        return ya != yb ? ya < yb : a->rect.left() < b->rect.left();
    });
    QStringList result;
    for (const PlacedElement *e : sorted)
        result << e->text;
    return result;
}

namespace {

// Puts the flowing bands (title, detail lines, summary) onto pages between the
// page header and the page footer; a band that does not fit goes to the next
// page whole, and one taller than a page is cut between its elements.
class Pager
{
public:
    Pager(qreal top, qreal bottom) : m_top(top), m_bottom(bottom) { newPage(); }

    void place(const BandBlock &block, int row)
    {
        if (block.height <= m_bottom - m_y) {
            put(block.elements, 0, block.height, row);
            return;
        }
        if (m_y > m_top && block.height <= m_bottom - m_top) {
            newPage();
            put(block.elements, 0, block.height, row);
            return;
        }
        split(block, row);
    }

    std::vector<ReportPage> takePages()
    {
        for (size_t i = 0; i < m_pages.size(); ++i)
            if (m_pages[i].row < 0)
                m_pages[i].row = i > 0 ? m_pages[i - 1].row : 0;
        return std::move(m_pages);
    }

private:
    void newPage()
    {
        m_pages.emplace_back();
        m_pages.back().row = -1;
        m_y = m_top;
    }

    // Places the elements whose top lies in [from, to) of the block.
    void put(const std::vector<PlacedElement> &elements, qreal from, qreal to, int row)
    {
        ReportPage &page = m_pages.back();
        if (page.row < 0)
            page.row = row;
        for (const PlacedElement &e : elements) {
            if (e.rect.top() < from || e.rect.top() >= to)
                continue;
            PlacedElement placed = e;
            placed.rect.translate(0, m_y - from);
            page.elements.push_back(std::move(placed));
        }
        m_y += to - from;
    }

    void split(const BandBlock &block, int row)
    {
        qreal offset = 0;
        for (;;) {
            const qreal room = m_bottom - m_y;
            if (block.height - offset <= room) {
                put(block.elements, offset, block.height, row);
                return;
            }
            // The first element, from the top, that overruns the page.
            bool overrun = false;
            qreal cut = 0, cutBottom = 0;
            for (const PlacedElement &e : block.elements)
                if (e.rect.top() >= offset && e.rect.bottom() - offset > room
                    && (!overrun || e.rect.top() < cut)) {
                    overrun = true;
                    cut = e.rect.top();
                    cutBottom = e.rect.bottom();
                }
            if (!overrun) { // only blank space runs over: the band ends with the page
                put(block.elements, offset, block.height, row);
                m_y = m_bottom;
                return;
            }
            if (cut <= offset) {
                if (m_y > m_top) {
                    newPage();
                    continue;
                }
                cut = cutBottom; // taller than a page on its own: it runs over
            }
            put(block.elements, offset, cut, row);
            offset = cut;
            newPage();
        }
    }

    qreal m_top;
    qreal m_bottom;
    qreal m_y = 0;
    std::vector<ReportPage> m_pages;
};

qreal heightOf(const ReportBand *band)
{
    return band ? band->height : 0;
}

void addBlock(ReportPage &page, const BandBlock &block, qreal y)
{
    for (PlacedElement e : block.elements) {
        e.rect.translate(0, y);
        page.elements.push_back(std::move(e));
    }
}

} // namespace

std::vector<ReportPage> layoutReport(const BandedReport &report, const QFont &baseFont,
                                     QPaintDevice *device, const ReportStep &step)
{
    const BandLayouter layouter(report, baseFont, device);
    const ReportBand *header = report.firstBand(ReportBand::Kind::PageHeader);
    const ReportBand *footer = report.firstBand(ReportBand::Kind::PageFooter);
    const qreal bodyHeight = report.bodySize().height();
    const qreal footerTop = bodyHeight - heightOf(footer);
    Pager pager(heightOf(header), footerTop);

    const int rows = report.data ? report.data->rowCount() : 0;
    for (const ReportBand &band : report.bands) {
        if (band.kind == ReportBand::Kind::Title)
            pager.place(layouter.layout(band, {0, 1, 0}), 0);
    }
    for (const ReportBand &band : report.bands) {
        if (band.kind != ReportBand::Kind::Detail)
            continue;
        for (int row = 0; row < rows; ++row) {
            if (step && !step(row, rows))
                throw ReportCancelled();
            pager.place(layouter.layout(band, {row, 1, 0}), row);
        }
    }
    const int lastRow = std::max(0, rows - 1);
    for (const ReportBand &band : report.bands) {
        if (band.kind == ReportBand::Kind::Summary)
            pager.place(layouter.layout(band, {lastRow, 1, 0}), lastRow);
    }

    std::vector<ReportPage> pages = pager.takePages();
    const int count = int(pages.size());
    for (int i = 0; i < count; ++i) {
        const ReportContext context{pages[i].row, i + 1, count};
        if (header)
            addBlock(pages[i], layouter.layout(*header, context), 0);
        if (footer)
            addBlock(pages[i], layouter.layout(*footer, context), footerTop);
    }
    return pages;
}
