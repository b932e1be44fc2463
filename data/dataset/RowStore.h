#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>
#include <QVector>
#include <vector>

using Row = QVector<QVariant>;

// The rows of a dataset, held column by column: a kind byte and eight bytes
// per value, the characters of a column's texts back to back, and nothing
// at all for a column that holds no value in any row (lookups, pictures).
// A QVariant per value took four times the room on a large catalogue.
// Values read back are the values stored, of the same type.
class RowStore
{
public:
    RowStore() = default;
    RowStore(const QVector<Row> &rows); // NOLINT: rows made one by one convert

    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    QVariant value(int row, int slot) const;
    // The text a slot holds when it is a text; null otherwise.
    QStringView textAt(int row, int slot) const;
    Row row(int row, int slotCount) const;

    void append(const Row &values);
    // A new last row filled slot by slot, as a snapshot is read: no Row in
    // between; slots left unset hold nothing.
    int appendEmpty() { return m_size++; }
    void setValue(int row, int slot, const QVariant &value);
    // The same as a QString value, without making one.
    void setText(int row, int slot, QStringView text);
    void set(int row, const Row &values);
    void remove(int row);
    void clear();
    void reserve(int rows);
    // Gives back the room kept for further rows, once all are read.
    void squeeze();

    bool operator==(const RowStore &other) const;
    bool operator!=(const RowStore &other) const { return !(*this == other); }

private:
    class Column;
    Column &column(int slot);
    void store(int row, const Row &values);

    std::vector<Column> m_columns;
    int m_size = 0;
};

class RowStore::Column
{
public:
    enum Kind : quint8 { Invalid, Int, LongLong, Bool, Double, Date, Text, NullText, Other };

    bool holdsNothing() const { return m_kind.empty(); }
    QVariant value(int row) const;
    QStringView text(int row) const;
    void set(int row, const QVariant &v, int rows);
    void setText(int row, QStringView text, int rows);
    void remove(int row);
    void reserve(int rows);
    void squeeze();
    bool same(int row, const Column &other, int otherRow) const;

private:
    // Inline: it runs for every value of a snapshot.
    void grow(int rows)
    {
        while (m_kind.size() < size_t(rows)) {
            m_kind.push_back(Invalid);
            m_bits.push_back(0);
        }
    }
    Kind kind(int row) const { return size_t(row) < m_kind.size() ? Kind(m_kind[size_t(row)]) : Invalid; }

    std::vector<quint8> m_kind; // empty while every value is invalid
    std::vector<qint64> m_bits; // the number, or where the text or other value is
    QString m_text;             // replaced texts leave their old characters unused
    std::vector<QVariant> m_other;
};
