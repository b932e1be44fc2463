#include "app/CachedGroupBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionGroupBox>

namespace {
constexpr qint64 LargestPicture = 512 * 512; // pixels: 1 MB
} // namespace

QString CachedGroupBox::lookOf(const QStyleOptionGroupBox &option) const
{
    return QStringLiteral("%1x%2@%3/%4/%5/%6/%7/%8/%9")
        .arg(width()).arg(height()).arg(devicePixelRatioF())
        .arg(int(option.state)).arg(int(option.subControls)).arg(int(option.activeSubControls))
        .arg(int(option.textAlignment)).arg(palette().cacheKey())
        .arg(font().key() + QLatin1Char('/') + option.text);
}

void CachedGroupBox::paintEvent(QPaintEvent *event)
{
    // A frame round half the window would hold megabytes for little gain.
    if (qint64(width()) * height() > LargestPicture) {
        QGroupBox::paintEvent(event);
        return;
    }
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QString look = lookOf(option);
    const qreal ratio = devicePixelRatioF();
    if (look != m_look) {
        m_picture = QPixmap(size() * ratio);
        m_picture.setDevicePixelRatio(ratio);
        m_picture.fill(Qt::transparent);
        QPainter on(&m_picture);
        on.setFont(font());
        on.setPen(palette().windowText().color());
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &on, this);
        m_look = look;
    }
    const QRect area = event->rect();
    QPainter painter(this);
    painter.drawPixmap(area.topLeft(), m_picture, QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
}
