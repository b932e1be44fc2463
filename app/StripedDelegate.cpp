#include "app/StripedDelegate.h"

#include "app/Unit_class.h"

void StripedDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    gridDrawStriped(painter, opt, index, index.row() + 1);
}
