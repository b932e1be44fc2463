#pragma once

#include <QHash>
#include <QHeaderView>
#include <QPixmap>

// A grid's column titles. They are never highlighted, so a new selection
// repaints none of them (Qt would repaint every title a selected row spans).
class TitleHeader : public QHeaderView
{
public:
    explicit TitleHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) { setSectionsClickable(true); }

protected:
    QRegion visualRegionForSelection(const QItemSelection &) const override { return {}; }
    // Nor does a title show the current column: Qt repaints the old and the
    // new current column's titles, which on every reset of the rows is one.
    void currentChanged(const QModelIndex &, const QModelIndex &) override {}
};

// A grid's row indicator: as wide as it is told (Qt would otherwise measure
// the text of up to 200 rows after every change of the rows, only for the
// fixed width to win), and its sections (empty or marked) drawn from one
// picture of each look, since every reset of the rows repaints all of them.
class IndicatorHeader : public QHeaderView
{
public:
    IndicatorHeader(int width, QWidget *parent);
    QSize sizeHint() const override;
    using QHeaderView::updateSection;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    // The mark shows the current row, not the selection (see updateSection).
    QRegion visualRegionForSelection(const QItemSelection &) const override { return {}; }
    void currentChanged(const QModelIndex &, const QModelIndex &) override {}

private:
    struct Look {
        QSize size;
        QString text;
        int state, position, selectedPosition;
        qint64 palette;
        qreal ratio;
        bool operator==(const Look &o) const
        {
            return size == o.size && text == o.text && state == o.state && position == o.position
                && selectedPosition == o.selectedPosition && palette == o.palette && ratio == o.ratio;
        }
        friend size_t qHash(const Look &l, size_t seed = 0)
        {
            return qHashMulti(seed, l.size.width(), l.size.height(), l.text, l.state, l.position, l.palette);
        }
    };
    int m_width;
    mutable QHash<Look, QPixmap> m_looks;
};
