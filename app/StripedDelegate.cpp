#include "app/StripedDelegate.h"

#include "app/Unit_class.h"

void StripedDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    // The option as the view gives it: gridDrawStriped asks the model for
    // what it needs, and initStyleOption would ask for the text once more.
    gridDrawStriped(painter, option, index, index.row() + 1);
}
