#pragma once

#include <QStyledItemDelegate>

// Paints the cells of a striped grid with gridDrawStriped; a row's record
// number is its position in the model, so stripes follow positions, not rows.
class StripedDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
