#include "output/BandedReport.h"

#include "output/ReportError.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace {

constexpr qreal MmPerInch = 25.4;
constexpr qreal PictureDpi = 96; // screen pixels: the picture box is 400 by 315 of them

class PagePainter
{
public:
    PagePainter(QPainter &painter, const QPaintDevice *device)
        : m_painter(painter), m_x(device->logicalDpiX() / MmPerInch), m_y(device->logicalDpiY() / MmPerInch)
    {
    }

    void draw(const PlacedElement &e)
    {
        switch (e.kind) {
        case ReportItem::Kind::Text:
            m_painter.setFont(e.font);
            m_painter.setPen(Qt::black);
            // Without Qt::TextDontClip the text is cut at its box.
            m_painter.drawText(px(e.rect), int(e.align) | Qt::TextSingleLine, e.text);
            break;
        case ReportItem::Kind::Picture:
            drawPicture(e);
            break;
        case ReportItem::Kind::Line:
            m_painter.setPen(QPen(Qt::black, e.penWidth * m_x));
            m_painter.drawLine(px(e.rect.topLeft()), px(e.rect.bottomRight()));
            break;
        case ReportItem::Kind::Drawing:
            m_painter.save();
            m_painter.setClipRect(px(e.rect));
            e.draw(&m_painter, px(e.rect));
            m_painter.restore();
            break;
        }
    }

private:
    void drawPicture(const PlacedElement &e)
    {
        QRectF target(QPointF(), pictureSizeMm(e.image));
        target.moveCenter(e.rect.center());
        m_painter.save();
        m_painter.setClipRect(px(e.rect));
        m_painter.drawImage(px(target), e.image);
        m_painter.restore();
    }

    QPointF px(const QPointF &mm) const { return {mm.x() * m_x, mm.y() * m_y}; }
    QRectF px(const QRectF &mm) const { return {px(mm.topLeft()), px(mm.bottomRight())}; }

    QPainter &m_painter;
    qreal m_x;
    qreal m_y;
};

} // namespace

QSizeF pictureSizeMm(const QImage &image)
{
    return QSizeF(image.width(), image.height()) * (MmPerInch / PictureDpi);
}

void paintPages(const std::vector<ReportPage> &pages, QPagedPaintDevice *device,
                const std::function<void(int page)> &onPage, const ReportStep &step)
{
    QPainter painter;
    if (!painter.begin(device))
        throw ReportError(QStringLiteral("Cannot start printing: the printer is not available"));
    PagePainter pagePainter(painter, device);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            device->newPage();
        if (onPage)
            onPage(int(i) + 1);
        if (step && !step(int(i), int(pages.size()))) {
            painter.end();
            throw ReportCancelled();
        }
        for (const PlacedElement &e : pages[i].elements)
            pagePainter.draw(e);
    }
    painter.end();
}

int printReport(const BandedReport &report, const QFont &baseFont, QPrinter *printer,
                const std::function<void(int page)> &onPage, const ReportStep &step)
{
    printer->setFullPage(false);
    printer->setPageLayout(report.pageLayout());
    const std::vector<ReportPage> pages = layoutReport(report, baseFont, printer, step);
    paintPages(pages, printer, onPage, step);
    return int(pages.size());
}
