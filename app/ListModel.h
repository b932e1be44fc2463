#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <functional>

class QTableView;

// Rows read once and shown as they are: texts are made only for the cells
// painted, so a list of many thousands opens as fast as it is read.
template <typename Row> class ListModel : public QAbstractTableModel
{
public:
    using Cell = std::function<QVariant(const Row &, int column)>;

    ListModel(QStringList titles, Cell cell, QObject *parent)
        : QAbstractTableModel(parent), m_titles(std::move(titles)), m_cell(std::move(cell))
    {
    }

    void setRows(QList<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const QList<Row> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_titles.size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        return orientation == Qt::Horizontal && role == Qt::DisplayRole ? m_titles.value(section) : QVariant();
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || index.row() >= m_rows.size())
            return {};
        return m_cell(m_rows[index.row()], index.column());
    }

protected:
    // Rows put in before row, in their order.
    void insertRowsAt(int row, QList<Row> rows)
    {
        if (rows.isEmpty())
            return;
        beginInsertRows({}, row, row + int(rows.size()) - 1);
        m_rows.insert(row, rows.size(), Row());
        std::move(rows.begin(), rows.end(), m_rows.begin() + row);
        endInsertRows();
    }
    // change(row) tells whether it changed the row; the changed ones are repainted.
    template <typename Fn> void changeRows(Fn change)
    {
        int first = -1, last = -1;
        for (int r = 0; r < m_rows.size(); ++r)
            if (change(m_rows[r])) {
                first = first < 0 ? r : first;
                last = r;
            }
        if (first >= 0)
            emit this->dataChanged(this->index(first, 0), this->index(last, int(m_titles.size()) - 1));
    }

private:
    QStringList m_titles;
    Cell m_cell;
    QList<Row> m_rows;
};

// A read-only grid of whole rows over a list model, rows the height of the
// font (never measured row by row).
QTableView *listGrid(QWidget *parent, const char *name, QAbstractItemModel *model);
