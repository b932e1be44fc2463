#include "app/StripedGridStyle.h"

#include <QApplication>
#include <QPointer>
#include <QStyleFactory>

StripedGridStyle::StripedGridStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
{
    setParent(qApp);
}

StripedGridStyle *StripedGridStyle::instance()
{
    static QPointer<StripedGridStyle> style;
    if (!style)
        style = new StripedGridStyle;
    return style;
}

void StripedGridStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                     const QWidget *widget) const
{
    if (element == PE_PanelItemViewRow)
        return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
