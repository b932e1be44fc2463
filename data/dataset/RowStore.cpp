#include "data/dataset/RowStore.h"

#include <QDate>
#include <cstring>

namespace {

qint64 textBits(qsizetype start, qsizetype length) { return (qint64(start) << 32) | quint32(length); }

} // namespace

// --- Column ---------------------------------------------------------------------

QVariant RowStore::Column::value(int row) const
{
    const Kind k = kind(row);
    if (k == Invalid)
        return {};
    const qint64 bits = m_bits[size_t(row)];
    switch (k) {
    case Int:
        return int(bits);
    case LongLong:
        return qlonglong(bits);
    case Bool:
        return bits != 0;
    case Double: {
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    case Date:
        return QDate::fromJulianDay(bits);
    case Text:
        return text(row).toString();
    case NullText:
        return QString();
    case Other:
        return m_other[size_t(bits)];
    case Invalid:
        break;
    }
    return {};
}

QStringView RowStore::Column::text(int row) const
{
    if (kind(row) != Text)
        return {};
    const qint64 bits = m_bits[size_t(row)];
    return QStringView(m_text).mid(qsizetype(bits >> 32), qsizetype(quint32(bits)));
}

void RowStore::Column::setText(int row, QStringView text, int rows)
{
    grow(rows);
    m_kind[size_t(row)] = text.isNull() ? NullText : Text;
    m_bits[size_t(row)] = textBits(m_text.size(), text.size());
    if (m_text.isNull() && !text.isNull())
        m_text.reserve(text.size() + 1); // an empty text is not read back null
    m_text += text;
}

void RowStore::Column::set(int row, const QVariant &v, int rows)
{
    if (m_kind.empty() && !v.isValid())
        return;
    grow(rows);
    Kind k = Other;
    qint64 bits = 0;
    const void *data = v.constData();
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        k = Invalid;
        break;
    case QMetaType::Int:
        k = Int;
        bits = *static_cast<const int *>(data);
        break;
    case QMetaType::LongLong:
        k = LongLong;
        bits = *static_cast<const qlonglong *>(data);
        break;
    case QMetaType::Bool:
        k = Bool;
        bits = *static_cast<const bool *>(data);
        break;
    case QMetaType::Double:
        k = Double;
        std::memcpy(&bits, data, sizeof bits);
        break;
    case QMetaType::QDate:
        k = Date;
        bits = static_cast<const QDate *>(data)->toJulianDay();
        break;
    case QMetaType::QString: {
        const QString &s = *static_cast<const QString *>(data);
        k = s.isNull() ? NullText : Text;
        bits = textBits(m_text.size(), s.size());
        m_text += s;
        break;
    }
    default:
        bits = qint64(m_other.size());
        m_other.push_back(v);
        break;
    }
    m_kind[size_t(row)] = k;
    m_bits[size_t(row)] = bits;
}

void RowStore::Column::remove(int row)
{
    if (size_t(row) >= m_kind.size())
        return;
    m_kind.erase(m_kind.begin() + row);
    m_bits.erase(m_bits.begin() + row);
}

void RowStore::Column::reserve(int rows)
{
    m_kind.reserve(size_t(rows));
    m_bits.reserve(size_t(rows));
}

void RowStore::Column::squeeze()
{
    m_kind.shrink_to_fit();
    m_bits.shrink_to_fit();
    m_text.squeeze();
    m_other.shrink_to_fit();
}

bool RowStore::Column::same(int row, const Column &other, int otherRow) const
{
    const Kind a = kind(row), b = other.kind(otherRow);
    if (a == Text && b == Text)
        return text(row) == other.text(otherRow);
    if (a == b && a != Other && a != Double)
        return a == Invalid || a == NullText || m_bits[size_t(row)] == other.m_bits[size_t(otherRow)];
    return value(row) == other.value(otherRow);
}

// --- RowStore -------------------------------------------------------------------

RowStore::RowStore(const QVector<Row> &rows)
{
    reserve(int(rows.size()));
    for (const Row &r : rows)
        append(r);
}

RowStore::Column &RowStore::column(int slot)
{
    if (size_t(slot) >= m_columns.size())
        m_columns.resize(size_t(slot) + 1);
    return m_columns[size_t(slot)];
}

QVariant RowStore::value(int row, int slot) const
{
    if (row < 0 || row >= m_size || slot < 0 || size_t(slot) >= m_columns.size())
        return {};
    return m_columns[size_t(slot)].value(row);
}

QStringView RowStore::textAt(int row, int slot) const
{
    if (row < 0 || row >= m_size || slot < 0 || size_t(slot) >= m_columns.size())
        return {};
    return m_columns[size_t(slot)].text(row);
}

Row RowStore::row(int row, int slotCount) const
{
    Row values(slotCount);
    for (int s = 0; s < slotCount; ++s)
        values[s] = value(row, s);
    return values;
}

void RowStore::store(int row, const Row &values)
{
    for (int s = 0; s < values.size(); ++s)
        column(s).set(row, values[s], m_size);
    // Slots past the row's end hold nothing.
    for (size_t s = size_t(values.size()); s < m_columns.size(); ++s)
        m_columns[s].set(row, QVariant(), m_size);
}

void RowStore::append(const Row &values)
{
    ++m_size;
    store(m_size - 1, values);
}

void RowStore::setValue(int row, int slot, const QVariant &value)
{
    column(slot).set(row, value, m_size);
}

void RowStore::setText(int row, int slot, QStringView text)
{
    column(slot).setText(row, text, m_size);
}

void RowStore::set(int row, const Row &values)
{
    store(row, values);
}

void RowStore::remove(int row)
{
    for (Column &c : m_columns)
        c.remove(row);
    --m_size;
}

void RowStore::clear()
{
    m_columns.clear();
    m_size = 0;
}

void RowStore::reserve(int rows)
{
    for (Column &c : m_columns)
        c.reserve(rows);
}

void RowStore::squeeze()
{
    for (Column &c : m_columns)
        c.squeeze();
}

bool RowStore::operator==(const RowStore &other) const
{
    if (m_size != other.m_size)
        return false;
    static const Column none;
    const size_t columns = std::max(m_columns.size(), other.m_columns.size());
    for (size_t s = 0; s < columns; ++s) {
        const Column &a = s < m_columns.size() ? m_columns[s] : none;
        const Column &b = s < other.m_columns.size() ? other.m_columns[s] : none;
        if (a.holdsNothing() && b.holdsNothing())
            continue;
        for (int r = 0; r < m_size; ++r)
            if (!a.same(r, b, r))
                return false;
    }
    return true;
}
