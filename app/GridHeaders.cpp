#include "app/GridHeaders.h"

#include <QPainter>
#include <QStyleOptionHeader>

IndicatorHeader::IndicatorHeader(int width, QWidget *parent) : QHeaderView(Qt::Vertical, parent), m_width(width) {}

QSize IndicatorHeader::sizeHint() const
{
    return {m_width, defaultSectionSize()};
}

void IndicatorHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    if (!option.icon.isNull() || rect.isEmpty()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const Look key{rect.size(), option.text, int(option.state), int(option.position), int(option.selectedPosition),
                   palette().cacheKey(), ratio};
    auto it = m_looks.find(key);
    if (it == m_looks.end()) {
        if (m_looks.size() > 64)
            m_looks.clear();
        QPixmap picture(rect.size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        QPainter on(&picture);
        QHeaderView::paintSection(&on, QRect(QPoint(0, 0), rect.size()), logicalIndex);
        on.end();
        it = m_looks.insert(key, picture);
    }
    painter->drawPixmap(rect.topLeft(), *it);
}
