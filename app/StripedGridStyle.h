#pragma once

#include <QProxyStyle>

// The application's style, for a striped grid: gridDrawStriped paints its
// cells whole, so the row panel that the view has the style draw beneath
// every cell is left out (each one a pass through the whole style, which
// works out its colours anew).
class StripedGridStyle : public QProxyStyle
{
public:
    static StripedGridStyle *instance();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;

private:
    StripedGridStyle();
};
