#include "DemoPicture.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

namespace {

const int Width = 400;
const int Height = 315;

void drawBackground(QPainter &p, QColor tint)
{
    QLinearGradient gradient(0, 0, Width, Height);
    gradient.setColorAt(0, tint.lighter(170));
    gradient.setColorAt(1, tint.darker(130));
    p.fillRect(0, 0, Width, Height, gradient);
}

void drawBars(QPainter &p, const QRect &area, QColor tint, QRandomGenerator &rng)
{
    p.setPen(Qt::NoPen);
    for (int bar = 0; bar < 6; ++bar) {
        const int h = 20 + rng.bounded(area.height() - 20);
        p.setBrush(bar % 2 ? tint : tint.darker(140));
        p.drawRect(area.left() + 5 + bar * 26, area.bottom() - h, 18, h);
    }
}

void drawPie(QPainter &p, const QRect &area, QColor tint, QRandomGenerator &rng)
{
    const QRect circle(area.center().x() - 65, area.center().y() - 65, 130, 130);
    p.setPen(QPen(Qt::white, 2));
    int start = 0;
    for (int slice = 0; slice < 4; ++slice) {
        const int span = slice == 3 ? 360 * 16 - start : (50 + rng.bounded(60)) * 16;
        p.setBrush(tint.lighter(100 + slice * 25));
        p.drawPie(circle, start, span);
        start += span;
    }
}

// A window with a title bar, a list on the left and a chart on the right.
void drawWindow(QPainter &p, QColor tint, QRandomGenerator &rng)
{
    const QRect frame(30, 80, 340, 200);
    p.setPen(QPen(tint.darker(180), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(frame, 6, 6);
    p.fillRect(frame.left() + 1, frame.top() + 1, frame.width() - 1, 22, tint);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(frame.right() - 20 - i * 16, frame.top() + 6, 10, 10);

    p.setPen(QColor(170, 170, 170));
    for (int row = 0; row < 7; ++row) {
        const int y = frame.top() + 38 + row * 22;
        p.drawLine(frame.left() + 12, y, frame.left() + 40 + rng.bounded(90), y);
    }

    const QRect chart(frame.left() + 165, frame.top() + 34, 160, 150);
    if (rng.bounded(2))
        drawBars(p, chart, tint, rng);
    else
        drawPie(p, chart, tint, rng);
}

void drawTitles(QPainter &p, const QString &title, const QString &subtitle)
{
    QFont font = p.font();
    font.setBold(true);
    // Long names get a smaller size rather than a cut.
    for (int size = 24; size >= 14; size -= 2) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(title) <= Width - 32)
            break;
    }
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(16, 10, Width - 32, 36), Qt::AlignLeft | Qt::AlignVCenter, title);

    font.setPixelSize(14);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRect(16, 44, Width - 32, 24), Qt::AlignLeft | Qt::AlignVCenter, subtitle);
}

} // namespace

QByteArray demoScreenshot(const QString &title, const QString &subtitle, QColor tint,
                          QRandomGenerator &rng)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        drawBackground(p, tint);
        drawWindow(p, tint, rng);
        drawTitles(p, title, subtitle);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}
