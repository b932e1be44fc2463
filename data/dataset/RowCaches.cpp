#include "data/dataset/RowCaches.h"

#include "data/dataset/Field.h"
#include "data/dataset/ValueOrder.h"

#include <QCollatorSortKey>
#include <QDateTime>
#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>

namespace {

bool isRanked(const Field *f) { return ordersByText(f->type()); }

// Ranks texts in collated order: equal texts share a rank, empty values get
// EmptyKey. keyOf gives an item's collation key, nothing for an empty value.
// order receives the non-empty items in that order.
SortKeys rankTexts(int count, const std::function<std::optional<QCollatorSortKey>(int)> &keyOf,
                   QVector<int> *order)
{
    struct Keyed {
        QCollatorSortKey key;
        int item;
    };
    std::vector<Keyed> keyed; // sorted by value, not through indexes: fewer cache misses
    keyed.reserve(count);
    for (int i = 0; i < count; ++i)
        if (std::optional<QCollatorSortKey> key = keyOf(i))
            keyed.push_back({std::move(*key), i});
    // Equal texts share a rank, so their order among themselves does not matter.
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) { return a.key.compare(b.key) < 0; });
    SortKeys ranks(count, EmptyKey);
    QVector<int> sorted(int(keyed.size()));
    qint64 rank = -1;
    for (int i = 0; i < sorted.size(); ++i) {
        if (i == 0 || keyed[i - 1].key.compare(keyed[i].key) != 0)
            ++rank;
        ranks[keyed[i].item] = rank;
        sorted[i] = keyed[i].item;
    }
    if (order)
        *order = std::move(sorted);
    return ranks;
}

std::optional<QCollatorSortKey> collationKey(const QVariant &v)
{
    if (isEmptyValue(v))
        return std::nullopt;
    return textCollator().sortKey(v.toString());
}

} // namespace

SortKeys sortKeysOf(const QVector<QVariant> &values, const Field *field)
{
    if (isRanked(field))
        return rankTexts(values.size(), [&values](int i) { return collationKey(values[i]); }, nullptr);
    SortKeys keys(values.size());
    for (int i = 0; i < values.size(); ++i)
        keys[i] = numberKey(values[i], field->type());
    return keys;
}

// --- FoldedColumn ---------------------------------------------------------------

void FoldedColumn::append(const QString &folded, bool empty)
{
    m_start.append(m_text.size());
    m_length.append(empty ? -1 : int(folded.size()));
    m_text += folded;
}

void FoldedColumn::replace(int row, const QString &folded, bool empty)
{
    // The old slice is left unused; the buffer is rebuilt with the rows.
    m_inOrder = m_inOrder && row == rowCount() - 1;
    m_start[row] = m_text.size();
    m_length[row] = empty ? -1 : int(folded.size());
    m_text += folded;
}

std::vector<bool> FoldedColumn::containing(QStringView part) const
{
    const int rows = rowCount();
    std::vector<bool> hits(size_t(rows), false);
    if (!m_inOrder || part.isEmpty()) {
        for (int r = 0; r < rows; ++r)
            hits[size_t(r)] = !isEmpty(r) && at(r).contains(part);
        return hits;
    }
    const QStringView text(m_text);
    for (qsizetype at = text.indexOf(part); at >= 0; at = text.indexOf(part, at + 1)) {
        // The last row that starts at or before the hit owns its first character.
        const int r = int(std::upper_bound(m_start.begin(), m_start.end(), int(at)) - m_start.begin()) - 1;
        if (r >= 0 && at + part.size() <= qsizetype(m_start[r]) + m_length[r])
            hits[size_t(r)] = true;
    }
    return hits;
}

void FoldedColumn::remove(int row)
{
    m_start.remove(row);
    m_length.remove(row);
}

// --- RowCaches ------------------------------------------------------------------

struct RowCaches::Column {
    const Field *field = nullptr;
    bool hasKeys = false;
    SortKeys keys;
    // Collation keys of the rows a partial sort needed, until the ranks of
    // every row are worked out; empty or one slot per row.
    std::vector<std::optional<QCollatorSortKey>> rowKeys;
    QVector<int> byRank; // ranked columns: the rows with a value, in collated order
    bool hasFolded = false;
    FoldedColumn folded;
    bool hasIndex = false;
    QHash<qint64, QVector<int>> index;
};

RowCaches::RowCaches(const RowStore &rows) : m_rows(rows) {}

RowCaches::~RowCaches() = default;

bool RowCaches::holds(const Field *field)
{
    return field->type() != FieldType::Lookup && field->type() != FieldType::Blob;
}

bool RowCaches::isKey(const Field *field)
{
    return field->type() == FieldType::AutoInc || field->type() == FieldType::Integer;
}

void RowCaches::clear()
{
    m_columns.clear();
}

RowCaches::Column &RowCaches::column(const Field *field)
{
    auto &c = m_columns[field->index()];
    if (!c) {
        c = std::make_shared<Column>();
        c->field = field;
    }
    return *c;
}

namespace {

QString foldedText(const Field *f, const QVariant &v) { return f->displayText(v).toCaseFolded(); }

void insertSorted(QVector<int> &rows, int row)
{
    rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
}

} // namespace

const SortKeys &RowCaches::sortKeys(const Field *field)
{
    Column &c = column(field);
    if (!c.hasKeys) {
        const int fi = field->index();
        if (isRanked(field)) {
            const auto keyOf = [this, &c, fi](int i) {
                return i < int(c.rowKeys.size()) && c.rowKeys[i] ? c.rowKeys[i] : collationKey(m_rows.value(i, fi));
            };
            c.keys = rankTexts(m_rows.size(), keyOf, &c.byRank);
            c.rowKeys = {}; // the ranks order every row now
        } else {
            c.keys.resize(m_rows.size());
            for (int i = 0; i < m_rows.size(); ++i)
                c.keys[i] = numberKey(m_rows.value(i, fi), field->type());
        }
        c.hasKeys = true;
    }
    return c.keys;
}

bool RowCaches::sortsPart(const Field *field, int rowCount) const
{
    const auto it = m_columns.constFind(field->index());
    const bool ranked = it != m_columns.constEnd() && (*it)->hasKeys;
    return isRanked(field) && !ranked && qint64(rowCount) * 4 <= m_rows.size();
}

void RowCaches::sortPart(const Field *field, QVector<int> &rows, bool descending)
{
    Column &c = column(field);
    const int fi = field->index();
    c.rowKeys.resize(m_rows.size());
    for (int r : std::as_const(rows))
        if (!c.rowKeys[r])
            c.rowKeys[r] = collationKey(m_rows.value(r, fi));
    // Empty values first, as their ranks would put them.
    const auto less = [&c](int a, int b) {
        const auto &x = c.rowKeys[a], &y = c.rowKeys[b];
        return x && y ? x->compare(*y) < 0 : !x && y;
    };
    if (descending)
        std::stable_sort(rows.begin(), rows.end(), [&less](int a, int b) { return less(b, a); });
    else
        std::stable_sort(rows.begin(), rows.end(), less);
}

const FoldedColumn &RowCaches::folded(const Field *field)
{
    Column &c = column(field);
    if (!c.hasFolded) {
        for (int i = 0; i < m_rows.size(); ++i) {
            const QVariant v = m_rows.value(i, field->index());
            c.folded.append(foldedText(field, v), isEmptyValue(v));
        }
        c.hasFolded = true;
    }
    return c.folded;
}

const QVector<int> &RowCaches::rowsEqualTo(const Field *field, qint64 value)
{
    Column &c = column(field);
    if (!c.hasIndex) {
        const SortKeys &keys = sortKeys(field); // the stored numbers themselves
        for (int i = 0; i < keys.size(); ++i)
            if (keys[i] != EmptyKey)
                c.index[keys[i]].append(i);
        c.hasIndex = true;
    }
    static const QVector<int> none;
    const auto it = c.index.constFind(value);
    return it == c.index.constEnd() ? none : *it;
}

void RowCaches::rowStored(int row, bool appended)
{
    const QCollator &collator = textCollator();
    for (const auto &entry : std::as_const(m_columns)) {
        Column &c = *entry;
        const QVariant v = m_rows.value(row, c.field->index());
        if (c.hasFolded) {
            if (appended)
                c.folded.append(foldedText(c.field, v), isEmptyValue(v));
            else
                c.folded.replace(row, foldedText(c.field, v), isEmptyValue(v));
        }
        if (!c.rowKeys.empty()) {
            if (appended)
                c.rowKeys.emplace_back();
            else
                c.rowKeys[row].reset();
        }
        if (!c.hasKeys)
            continue;
        if (appended)
            c.keys.append(EmptyKey);
        const qint64 old = c.keys[row];
        if (c.hasIndex && old != EmptyKey)
            c.index[old].removeOne(row);
        if (!isRanked(c.field)) {
            c.keys[row] = numberKey(v, c.field->type());
            if (c.hasIndex && c.keys[row] != EmptyKey)
                insertSorted(c.index[c.keys[row]], row);
            continue;
        }
        // Take the row out of the collated order and put it back where its
        // new text belongs, sharing the rank of an equal text or opening one.
        c.byRank.removeOne(row);
        c.keys[row] = EmptyKey;
        if (isEmptyValue(v))
            continue;
        const QString text = v.toString();
        const auto at = std::upper_bound(c.byRank.begin(), c.byRank.end(), text, [&](const QString &t, int r) {
            return collator.compare(t, m_rows.value(r, c.field->index()).toString()) < 0;
        });
        const int pos = int(at - c.byRank.begin());
        const qint64 before = pos > 0 ? c.keys[c.byRank[pos - 1]] : -1;
        if (pos > 0 && collator.compare(m_rows.value(c.byRank[pos - 1], c.field->index()).toString(), text) == 0) {
            c.keys[row] = before;
        } else {
            for (qint64 &k : c.keys)
                if (k != EmptyKey && k > before)
                    ++k;
            c.keys[row] = before + 1;
        }
        c.byRank.insert(pos, row);
    }
}

void RowCaches::rowRemoved(int row)
{
    const auto shift = [row](QVector<int> &rows) {
        for (int &r : rows)
            if (r > row)
                --r;
    };
    for (const auto &entry : std::as_const(m_columns)) {
        Column &c = *entry;
        if (c.hasFolded)
            c.folded.remove(row);
        if (!c.rowKeys.empty())
            c.rowKeys.erase(c.rowKeys.begin() + row);
        if (!c.hasKeys)
            continue;
        if (c.hasIndex) {
            if (c.keys[row] != EmptyKey)
                c.index[c.keys[row]].removeOne(row);
            for (QVector<int> &rows : c.index)
                shift(rows);
        }
        c.keys.remove(row);
        c.byRank.removeOne(row);
        shift(c.byRank);
    }
}
