#pragma once

#include "output/BandedReport.h"

// One band laid out once: its elements from the band's top-left corner and
// the height it takes after its wrapping texts have grown.
struct BandBlock {
    std::vector<PlacedElement> elements;
    qreal height = 0;
};

// Fonts and text metrics for laying bands out on one device.
class BandLayouter
{
public:
    BandLayouter(const BandedReport &report, const QFont &baseFont, QPaintDevice *device);

    BandBlock layout(const ReportBand &band, const ReportContext &context) const;

    // Breaks text into lines no wider than width (millimetres); a line feed
    // always breaks. An empty text gives no lines.
    QStringList wrapLines(const QString &text, const QFont &font, qreal width) const;
    qreal lineHeight(const QFont &font) const;   // millimetres
    qreal textWidth(const QFont &font, const QString &text) const; // millimetres

private:
    struct ItemResult {
        std::vector<PlacedElement> elements;
        qreal growth = 0;
        qreal textEnd = 0; // right end of the text drawn, for an item that follows
    };

    ItemResult layoutItem(const ReportBand &band, const ReportItem &item, const QRectF &box,
                          const ReportContext &context) const;
    ItemResult layoutText(const ReportItem &item, const QRectF &box, const QFont &font,
                          const QString &text) const;
    QFont fontOf(const ReportBand &band, const ReportItem &item) const;
    QString textOf(const ReportItem &item, const ReportContext &context) const;
    QByteArray bytesOf(const ReportItem &item, const ReportContext &context) const;

    const BandedReport &m_report;
    QFont m_baseFont;
    QPaintDevice *m_device;
    qreal m_pxPerMmX;
    qreal m_pxPerMmY;
};
