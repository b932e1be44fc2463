#pragma once

#include "data/dataset/RowStore.h"
#include "data/dataset/ValueOrder.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

class Field;

// One order-preserving number per row: equal values get equal keys, empty
// values the lowest. Text gets its rank in the collated order.
using SortKeys = QVector<qint64>;

// Sort keys of values that no cache holds (lookups), computed on the spot.
SortKeys sortKeysOf(const QVector<QVariant> &values, const Field *field);

// The case-folded display text of one column, one slice of a shared buffer
// per row, so a search compares plain characters instead of converting values.
class FoldedColumn
{
public:
    void append(const QString &folded, bool empty);
    void replace(int row, const QString &folded, bool empty);
    void remove(int row);
    bool isEmpty(int row) const { return m_length[row] < 0; }
    QStringView at(int row) const { return QStringView(m_text).mid(m_start[row], m_length[row]); }
    int rowCount() const { return int(m_start.size()); }
    // Per row, whether its text contains part; one search through the
    // buffer instead of one per row.
    std::vector<bool> containing(QStringView part) const;

private:
    QString m_text;
    QVector<int> m_start;
    QVector<int> m_length; // -1: an empty value
    bool m_inOrder = true; // the rows' slices follow each other in row order
};

// What a dataset derives from its rows, per column, built when first asked
// for and kept in step with every post and delete until the rows are
// replaced: sort keys, case-folded text, and for key columns an index from
// a value to its rows.
class RowCaches
{
public:
    explicit RowCaches(const RowStore &rows);
    ~RowCaches();

    // Only stored values are held; lookups and deferred values are not.
    static bool holds(const Field *field);
    static bool indexes(const Field *field) { return holds(field) && isKey(field); }

    void clear();                            // the rows were replaced
    void rowStored(int row, bool appended);  // a post changed or appended rows[row]
    void rowRemoved(int row);                // rows[row] was removed

    const SortKeys &sortKeys(const Field *field);
    // Whether rowCount rows of a text column are better put in order by the
    // collation keys of those rows alone: the ranks of every row are not
    // worked out yet and the part is small.
    bool sortsPart(const Field *field, int rowCount) const;
    // Stable, empty values first (last when descending), keeping each row's
    // key for later sorts until the rows change.
    void sortPart(const Field *field, QVector<int> &rows, bool descending);
    const FoldedColumn &folded(const Field *field);
    // The rows, ascending, whose field holds value; empty values are not held.
    const QVector<int> &rowsEqualTo(const Field *field, qint64 value);

private:
    struct Column;
    static bool isKey(const Field *field);
    Column &column(const Field *field);

    const RowStore &m_rows;
    QHash<int, std::shared_ptr<Column>> m_columns; // by field index
};
