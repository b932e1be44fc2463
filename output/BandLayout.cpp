#include "output/BandLayout.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr qreal MmPerInch = 25.4;
constexpr qreal Epsilon = 0.01;

// Wrapping items above another item push it down by their growth.
qreal shiftOf(const std::vector<ReportItem> &items, const std::vector<qreal> &growth, size_t index)
{
    qreal shift = 0;
    for (size_t j = 0; j < items.size(); ++j)
        if (j != index && growth[j] > 0 && items[j].rect.bottom() <= items[index].rect.top() + Epsilon)
            shift += growth[j];
    return shift;
}

} // namespace

BandLayouter::BandLayouter(const BandedReport &report, const QFont &baseFont, QPaintDevice *device)
    : m_report(report), m_baseFont(baseFont), m_device(device),
      m_pxPerMmX(device->logicalDpiX() / MmPerInch), m_pxPerMmY(device->logicalDpiY() / MmPerInch)
{
}

BandBlock BandLayouter::layout(const ReportBand &band, const ReportContext &context) const
{
    const size_t count = band.items.size();
    std::vector<ItemResult> results;
    std::vector<qreal> growth(count, 0);
    results.reserve(count);
    qreal previousEnd = 0;
    for (size_t i = 0; i < count; ++i) {
        const ReportItem &item = band.items[i];
        QRectF box = item.rect;
        if (item.followGap)
            box.setLeft(std::min(previousEnd + *item.followGap, item.rect.right()));
        results.push_back(layoutItem(band, item, box, context));
        growth[i] = results.back().growth;
        if (item.kind == ReportItem::Kind::Text)
            previousEnd = results.back().textEnd;
    }

    BandBlock block;
    qreal extra = 0;
    for (size_t i = 0; i < count; ++i) {
        const qreal shift = shiftOf(band.items, growth, i);
        extra = std::max(extra, shift + growth[i]);
        for (PlacedElement &e : results[i].elements) {
            e.band = band.name;
            e.item = band.items[i].name;
            e.rect.translate(0, shift);
            block.elements.push_back(std::move(e));
        }
    }
    block.height = band.height + extra;
    return block;
}

BandLayouter::ItemResult BandLayouter::layoutItem(const ReportBand &band, const ReportItem &item,
                                                  const QRectF &box, const ReportContext &context) const
{
    ItemResult result;
    PlacedElement e;
    e.kind = item.kind;
    e.rect = box;
    switch (item.kind) {
    case ReportItem::Kind::Text:
        return layoutText(item, box, fontOf(band, item), textOf(item, context));
    case ReportItem::Kind::Picture:
        e.image = QImage::fromData(bytesOf(item, context));
        if (!e.image.isNull())
            result.elements.push_back(e);
        break;
    case ReportItem::Kind::Line:
        e.penWidth = item.penWidth;
        result.elements.push_back(e);
        break;
    case ReportItem::Kind::Drawing:
        e.draw = item.draw;
        if (e.draw)
            result.elements.push_back(e);
        break;
    }
    return result;
}

BandLayouter::ItemResult BandLayouter::layoutText(const ReportItem &item, const QRectF &box,
                                                  const QFont &font, const QString &text) const
{
    ItemResult result;
    PlacedElement e;
    e.kind = ReportItem::Kind::Text;
    e.font = font;
    e.align = item.align;
    if (!item.wrap) {
        // One line, cut at the box: line breaks of the value read as blanks.
        e.text = QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
        e.rect = box;
        result.textEnd = box.left() + std::min(textWidth(font, e.text), box.width());
        if (!e.text.isEmpty())
            result.elements.push_back(e);
        return result;
    }
    const qreal step = lineHeight(font);
    const QStringList lines = wrapLines(text, font, box.width());
    qreal y = box.top();
    for (const QString &line : lines) {
        e.text = line;
        e.rect = QRectF(box.left(), y, box.width(), step);
        result.textEnd = std::max(result.textEnd, box.left() + textWidth(font, line));
        result.elements.push_back(e);
        y += step;
    }
    result.growth = std::max<qreal>(0, lines.size() * step - box.height());
    return result;
}

QStringList BandLayouter::wrapLines(const QString &text, const QFont &font, qreal width) const
{
    QStringList lines;
    if (text.isEmpty())
        return lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QStringList paragraphs = QString(text).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font, m_device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width * m_pxPerMmX);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return lines;
}

qreal BandLayouter::lineHeight(const QFont &font) const
{
    return QFontMetricsF(font, m_device).lineSpacing() / m_pxPerMmY;
}

qreal BandLayouter::textWidth(const QFont &font, const QString &text) const
{
    return QFontMetricsF(font, m_device).horizontalAdvance(text) / m_pxPerMmX;
}

QFont BandLayouter::fontOf(const ReportBand &band, const ReportItem &item) const
{
    if (item.font)
        return *item.font;
    if (band.font)
        return *band.font;
    return m_report.font ? *m_report.font : m_baseFont;
}

QString BandLayouter::textOf(const ReportItem &item, const ReportContext &context) const
{
    if (item.text)
        return item.text(context);
    if (!item.field.isEmpty())
        return m_report.data ? m_report.data->text(context.row, item.field) : QString();
    return item.fixedText;
}

QByteArray BandLayouter::bytesOf(const ReportItem &item, const ReportContext &context) const
{
    if (item.picture)
        return item.picture(context);
    if (!item.field.isEmpty() && m_report.data)
        return m_report.data->bytes(context.row, item.field);
    return {};
}
