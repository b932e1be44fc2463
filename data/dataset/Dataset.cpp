#include "data/dataset/Dataset.h"

#include "data/engine/Database.h"
#include "data/dataset/RowCaches.h"
#include "data/dataset/ValueOrder.h"

#include <QtAlgorithms>
#include <algorithm>
#include <numeric>

Dataset::Dataset(Database *db, const QString &name, QObject *parent)
    : QObject(parent), m_db(db), m_caches(std::make_unique<RowCaches>(m_rows))
{
    setObjectName(name);
}

Dataset::~Dataset() = default;

Field *Dataset::addField(const QString &name, FieldType type, int size)
{
    m_fields.push_back(std::make_unique<Field>(this, fieldCount(), name, type, size));
    return m_fields.back().get();
}

Field *Dataset::addLookupField(const QString &name, int size, const QString &keyField,
                               Dataset *lookupDataset, const QString &lookupKeyField,
                               const QString &resultField)
{
    Field *f = addField(name, FieldType::Lookup, size);
    f->setLookup(keyField, lookupDataset, lookupKeyField, resultField);
    // A renamed reference row changes what every row shows.
    connect(lookupDataset, &Dataset::changed, this, [this](Dataset::Change c) {
        if (c == Change::Reset && isActive())
            emit changed(Change::Reset);
    });
    return f;
}

Field *Dataset::findField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->name().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field *Dataset::fieldByName(const QString &name) const
{
    if (Field *f = findField(name))
        return f;
    throw DataError(QStringLiteral("%1: поле '%2' не найдено").arg(objectName(), name));
}

// --- open and close -------------------------------------------------------

void Dataset::open()
{
    if (isActive())
        return;
    adopt(fetch());
}

void Dataset::adopt(RowStore rows)
{
    m_lastMasterKey = masterValue();
    m_rows = std::move(rows);
    m_caches->clear();
    m_state = State::Browse;
    m_deferredCache.clear();
    m_deferredRow = -1;
    rebuildView();
    m_pos = m_view.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.isEmpty();
    emit afterOpen();
    emit changed(Change::Reset);
    emit afterScroll();
}

void Dataset::close()
{
    if (!isActive())
        return;
    m_state = State::Inactive;
    m_rows.clear();
    m_caches->clear();
    m_view.clear();
    m_buffer.clear();
    m_pos = -1;
    m_bof = m_eof = true;
    emit changed(Change::Reset);
}

void Dataset::refresh()
{
    const int rec = recNo();
    RowStore rows;
    try {
        rows = fetch();
    } catch (const DataError &) {
        readAgainLater();
        throw;
    }
    close();
    adopt(std::move(rows));
    if (rec > 0)
        setRecNo(std::min(rec, recordCount()));
}

int Dataset::rowIndexOfKey(const QVariant &key) const
{
    if (!key.isValid())
        return -1;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.value(i, rowIdSlot()) == key)
            return i;
    return -1;
}

void Dataset::resync()
{
    if (!isActive())
        return;
    if (isEditing()) {
        m_resyncPending = true;
        return;
    }
    RowStore rows = fetch(); // a failed read leaves it pending
    m_resyncPending = false;
    m_lastMasterKey = masterValue();
    m_deferredCache.clear();
    m_deferredRow = -1;
    if (rows == m_rows) {
        // Pictures are not in the snapshot: the current one is read again.
        if (recNo() > 0 && std::any_of(m_fields.begin(), m_fields.end(),
                                       [this](const auto &f) { return isDeferred(f.get()); }))
            emit changed(Change::Record);
        return;
    }
    const QVariant key = currentKey();
    const int oldPos = m_pos;
    m_rows = std::move(rows);
    m_caches->clear();
    rebuildView(rowIndexOfKey(key)); // a row gone leaves its place to the next one
    m_bof = m_eof = m_view.isEmpty();
    const bool moved = key.isValid() ? currentKey() != key : m_pos != oldPos;
    emit changed(Change::Reset);
    if (moved)
        emit afterScroll();
}

void Dataset::readAgainLater()
{
    if (isActive())
        m_resyncPending = true;
}

// Runs once the command that asked for it is over, never inside its transaction.
void Dataset::scheduleResync()
{
    m_resyncPending = true;
    QMetaObject::invokeMethod(
        this, [this] { if (m_resyncPending) resync(); }, Qt::QueuedConnection);
}

bool Dataset::canModify() const
{
    return isActive() && m_db && !m_db->isReadOnly();
}

// --- editing ------------------------------------------------------------------

void Dataset::requireBrowse(const char *what) const
{
    if (!isActive())
        throw DataError(QStringLiteral("%1: операция «%2» невозможна на закрытом наборе данных")
                            .arg(objectName(), QLatin1String(what)));
}

void Dataset::requireEditing(const char *what) const
{
    if (!isEditing())
        throw DataError(QStringLiteral("%1: операция «%2» возможна только в режиме вставки или редактирования")
                            .arg(objectName(), QLatin1String(what)));
}

void Dataset::checkBrowseMode()
{
    if (isEditing())
        post();
}

void Dataset::append()
{
    requireBrowse("append");
    checkBrowseMode();
    if (!canModify())
        throw DataError(QStringLiteral("%1: набор данных только для чтения").arg(objectName()));
    emit beforeInsert();
    m_buffer = Row(fieldCount() + 1);
    m_dirty = QVector<bool>(fieldCount(), false);
    m_modified = false;
    m_state = State::Insert;
    if (hasMaster()) {
        if (const Field *f = findField(m_detailField)) {
            m_buffer[f->index()] = masterValue();
            m_dirty[f->index()] = true;
        }
    }
    emit changed(Change::State);
    emit afterInsert();
}

void Dataset::edit()
{
    requireBrowse("edit");
    if (isEditing())
        return;
    if (!canModify())
        throw DataError(QStringLiteral("%1: набор данных только для чтения").arg(objectName()));
    const int row = currentRowIndex();
    if (row < 0)
        throw DataError(QStringLiteral("%1: нет текущей записи").arg(objectName()));
    m_buffer = withDeferred(row);
    m_original = m_buffer;
    m_dirty = QVector<bool>(fieldCount(), false);
    m_modified = false;
    m_state = State::Edit;
    emit changed(Change::State);
}

void Dataset::flushEditors()
{
    const auto flushers = m_flushers; // a flush may register or drop editors
    for (const auto &entry : flushers)
        if (entry.first)
            entry.second();
    m_flushers.erase(std::remove_if(m_flushers.begin(), m_flushers.end(),
                                    [](const auto &e) { return e.first.isNull(); }),
                     m_flushers.end());
}

void Dataset::post()
{
    requireEditing("post");
    flushEditors();
    const bool inserting = m_state == State::Insert;
    int rowIndex = -1;
    Row stored = m_buffer;
    if (inserting) {
        stored = writeInsert(m_buffer, m_dirty);
        rowIndex = m_rows.size();
    } else {
        rowIndex = m_view.value(m_pos, -1);
        try {
            writeUpdate(m_original, m_buffer, m_dirty);
        } catch (const DataError &e) {
            if (e.kind() == DataError::Kind::Conflict)
                rebasePending(rowIndex);
            throw;
        }
    }
    // Pictures are not kept in the snapshot: prime the one-row cache instead.
    m_deferredCache.clear();
    m_deferredRow = -1;
    for (const auto &f : m_fields) {
        if (isDeferred(f.get())) {
            m_deferredCache.insert(f->index(), stored.value(f->index()));
            m_deferredRow = rowIndex;
        }
    }
    if (inserting)
        m_rows.append(heldForm(stored));
    else
        m_rows.set(rowIndex, heldForm(stored));
    m_caches->rowStored(rowIndex, inserting);
    m_state = State::Browse;
    m_buffer.clear();
    m_original.clear();
    m_modified = false;
    const int oldPos = m_pos;
    rebuildView(rowIndex);
    if (!m_view.contains(rowIndex))
        m_pos = m_view.isEmpty() ? -1 : std::clamp(oldPos, 0, int(m_view.size()) - 1);
    m_eof = m_bof = false;
    emit changed(Change::Reset);
    emit afterPost();
    emit afterScroll();
    if (m_resyncPending)
        scheduleResync();
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    m_state = State::Browse;
    m_buffer.clear();
    m_original.clear();
    m_modified = false;
    emit changed(Change::State);
    emit afterScroll();
    if (m_resyncPending)
        scheduleResync();
}

// Another user changed the row being edited: the edit goes on from what is
// stored now, keeping the fields changed here, so that saving again stores
// them over the other user's values. A row that is gone leaves only cancel.
void Dataset::rebasePending(int rowIndex)
{
    m_resyncPending = true;
    std::optional<Row> stored;
    try {
        stored = fetchRow(keyOf(m_original));
    } catch (const DataError &) {
        return; // the conflict is what the user needs to hear of
    }
    if (!stored)
        return;
    m_original = *stored;
    for (const auto &f : m_fields)
        if (f->type() != FieldType::Lookup && !m_dirty[f->index()])
            m_buffer[f->index()] = stored->at(f->index());
    m_rows.set(rowIndex, heldForm(*stored));
    m_caches->rowStored(rowIndex, false);
    m_deferredCache.clear();
    m_deferredRow = -1;
    emit changed(Change::Record);
}

void Dataset::remove()
{
    requireBrowse("delete");
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    cancel();
    if (!canModify())
        throw DataError(QStringLiteral("%1: набор данных только для чтения").arg(objectName()));
    const int row = currentRowIndex();
    if (row < 0)
        throw DataError(QStringLiteral("%1: нет записей для удаления").arg(objectName()));
    try {
        writeDelete(withDeferred(row));
    } catch (const DataError &e) {
        if (e.kind() == DataError::Kind::Conflict)
            scheduleResync();
        throw;
    }
    const int rowIndex = m_view[m_pos];
    const int oldPos = m_pos;
    m_rows.remove(rowIndex);
    m_caches->rowRemoved(rowIndex);
    m_deferredCache.clear();
    m_deferredRow = -1;
    rebuildView();
    m_pos = m_view.isEmpty() ? -1 : std::min(oldPos, int(m_view.size()) - 1);
    m_eof = m_view.isEmpty();
    emit changed(Change::Reset);
    emit afterDelete();
    emit afterScroll();
}

void Dataset::setCurrentValue(const Field *field, const QVariant &value)
{
    requireEditing("set value");
    if (field->isReadOnly())
        throw DataError(QStringLiteral("Поле '%1' нельзя изменить").arg(field->name()));
    m_buffer[field->index()] = value;
    m_dirty[field->index()] = true;
    m_modified = true;
    emit changed(Change::Record);
}

void Dataset::registerFlush(QObject *owner, std::function<void()> flush)
{
    m_flushers.append({QPointer<QObject>(owner), std::move(flush)});
}

// --- navigation ---------------------------------------------------------------

void Dataset::setCurrent(int viewPos, bool notify)
{
    m_pos = viewPos;
    if (notify) {
        emit changed(Change::Scroll);
        emit afterScroll();
    }
}

void Dataset::first()
{
    requireBrowse("first");
    checkBrowseMode();
    setCurrent(m_view.isEmpty() ? -1 : 0);
    m_bof = true;
    m_eof = m_view.isEmpty();
}

void Dataset::next()
{
    requireBrowse("next");
    checkBrowseMode();
    if (m_pos + 1 < m_view.size()) {
        setCurrent(m_pos + 1);
        m_eof = false;
    } else {
        m_eof = true;
    }
    m_bof = false;
}

void Dataset::prior()
{
    requireBrowse("prior");
    checkBrowseMode();
    if (m_pos > 0) {
        setCurrent(m_pos - 1);
        m_bof = false;
    } else {
        m_bof = true;
    }
    m_eof = false;
}

void Dataset::last()
{
    requireBrowse("last");
    checkBrowseMode();
    setCurrent(m_view.size() - 1);
    m_eof = true;
    m_bof = m_view.isEmpty();
}

QVariant Dataset::currentKey() const
{
    const int row = currentRowIndex();
    return row >= 0 ? m_rows.value(row, rowIdSlot()) : QVariant();
}

int Dataset::recNo() const
{
    if (m_state == State::Insert || m_pos < 0 || m_view.isEmpty())
        return -1;
    return m_pos + 1;
}

void Dataset::setRecNo(int recNo)
{
    if (!isActive() || recNo < 1 || recNo > m_view.size())
        return;
    checkBrowseMode();
    m_bof = m_eof = false;
    if (recNo - 1 != m_pos)
        setCurrent(recNo - 1);
}

bool Dataset::locate(const QString &fieldName, const QVariant &value)
{
    const Field *f = fieldByName(fieldName);
    for (int i = 0; i < m_view.size(); ++i) {
        if (compareValues(rawValue(m_view[i], f), value, f->type()) == 0) {
            checkBrowseMode();
            setCurrent(i);
            return true;
        }
    }
    return false;
}

// --- filter and sort ------------------------------------------------------

void Dataset::setFilter(const QString &text)
{
    m_filterText = text;
    if (m_filtered)
        setFiltered(true);
}

void Dataset::setFiltered(bool on)
{
    std::unique_ptr<FilterExpression> expr;
    std::exception_ptr failure;
    if (on && !m_filterText.trimmed().isEmpty()) {
        try {
            expr = FilterExpression::parse(m_filterText,
                                           [this](const QString &c) { return findField(c); });
        } catch (const DataError &) {
            failure = std::current_exception();
            on = false; // a filter that does not parse stays off
        }
    }
    if (isActive())
        checkBrowseMode();
    m_filtered = on;
    m_filterExpr = std::move(expr);
    if (isActive()) {
        rebuildView(-1, true);
        m_pos = m_view.isEmpty() ? -1 : 0;
        m_bof = true;
        m_eof = m_view.isEmpty();
        emit changed(Change::Reset);
        emit afterScroll();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void Dataset::setSort(const QString &text)
{
    const QStringList parts = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int field = -1;
    bool desc = false;
    if (!parts.isEmpty()) {
        const Field *f = findField(parts[0]);
        const QString dir = parts.value(1).toUpper();
        if (!f || parts.size() > 2 || (!dir.isEmpty() && dir != QLatin1String("ASC") && dir != QLatin1String("DESC")))
            throw DataError(QStringLiteral("%1: неверный порядок сортировки «%2»").arg(objectName(), text));
        field = f->index();
        desc = dir == QLatin1String("DESC");
    }
    m_sortText = text;
    m_sortField = field;
    m_sortDesc = desc;
    if (!isActive())
        return;
    const int keep = m_pos >= 0 ? m_view[m_pos] : -1;
    rebuildView(keep);
    emit changed(Change::Reset);
    emit afterScroll();
}

// The dataset's rows and caches as a filter sees them.
class Dataset::RowSource : public FilterSource
{
public:
    explicit RowSource(const Dataset &ds) : m_ds(ds) {}
    int rowCount() const override { return m_ds.m_rows.size(); }
    QVariant value(int row, const Field *f) const override { return m_ds.rawValue(row, f); }
    const FoldedColumn *folded(const Field *f) const override
    {
        return m_ds.isCached(f) ? &m_ds.m_caches->folded(f) : nullptr;
    }
    const QVector<int> *rowsEqualTo(const Field *f, qint64 value) const override
    {
        return m_ds.isCached(f) && RowCaches::indexes(f) ? &m_ds.m_caches->rowsEqualTo(f, value) : nullptr;
    }

private:
    const Dataset &m_ds;
};

bool Dataset::isCached(const Field *field) const
{
    return RowCaches::holds(field) && !isDeferred(field);
}

// Stable, so rows of equal value keep the order they came in.
void Dataset::applySort(QVector<int> &rows) const
{
    if (m_sortField < 0)
        return;
    const Field *f = m_fields[m_sortField].get();
    if (isCached(f) && m_caches->sortsPart(f, rows.size())) {
        m_caches->sortPart(f, rows, m_sortDesc);
        return;
    }
    SortKeys computed;
    if (!isCached(f)) {
        QVector<QVariant> values(m_rows.size());
        for (int i : std::as_const(rows))
            values[i] = rawValue(i, f);
        computed = sortKeysOf(values, f);
    }
    const SortKeys &keys = isCached(f) ? m_caches->sortKeys(f) : computed;
    if (m_sortDesc)
        std::stable_sort(rows.begin(), rows.end(), [&keys](int a, int b) { return keys[a] > keys[b]; });
    else
        std::stable_sort(rows.begin(), rows.end(), [&keys](int a, int b) { return keys[a] < keys[b]; });
}

// The rows that pass the filter, in the kept sort order or else in database
// order. An index on a key column names the candidates without testing every row.
QVector<int> Dataset::visibleRows(bool inKeptOrder) const
{
    const bool filtering = m_filtered && m_filterExpr;
    const RowSource source(*this);
    std::optional<QVector<int>> rows;
    if (filtering)
        rows = m_filterExpr->candidates(source);
    if (rows) {
        m_filterExpr->select(source, *rows);
        if (inKeptOrder)
            putInKeptOrder(*rows);
        return *rows;
    }
    QVector<int> all = m_order;
    if (!inKeptOrder) {
        all.resize(m_rows.size());
        std::iota(all.begin(), all.end(), 0);
    }
    if (filtering)
        m_filterExpr->select(source, all);
    return all;
}

// The rows' places in the kept order marked in a bit set, which is then
// read from the start: one pass over n/64 words, no sort.
void Dataset::putInKeptOrder(QVector<int> &rows) const
{
    std::vector<quint64> places((size_t(m_order.size()) + 63) / 64, 0);
    for (int r : std::as_const(rows)) {
        const int place = m_orderPos[r];
        places[size_t(place) >> 6] |= quint64(1) << (place & 63);
    }
    // The same rows come back, so they are written over in place.
    int *out = rows.data();
    const int *order = m_order.constData();
    for (size_t word = 0; word < places.size(); ++word)
        for (quint64 bits = places[word]; bits != 0; bits &= bits - 1)
            *out++ = order[word * 64 + qCountTrailingZeroBits(bits)];
    rows.resize(out - rows.constData()); // a row named twice is there once
}

// Lookup values follow another dataset, so their order is never kept.
bool Dataset::keepsSortedOrder() const
{
    return m_sortField >= 0 && m_fields[m_sortField]->type() != FieldType::Lookup;
}

void Dataset::prepareSortedOrder()
{
    if (!keepsSortedOrder() || m_order.size() == m_rows.size())
        return;
    m_order.resize(m_rows.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    applySort(m_order);
    m_orderPos.resize(m_rows.size());
    for (int i = 0; i < m_order.size(); ++i)
        m_orderPos[m_order[i]] = i;
}

void Dataset::rebuildView(int keepRowIndex, bool onlyFilterChanged)
{
    if (!onlyFilterChanged)
        m_order.clear();
    // A filter change on a sorted list filters the rows in their kept order
    // rather than sorting the result again.
    const bool keepOrder = onlyFilterChanged && keepsSortedOrder();
    if (keepOrder)
        prepareSortedOrder();
    m_view = visibleRows(keepOrder);
    if (!keepOrder)
        applySort(m_view);
    if (keepRowIndex >= 0) {
        const int pos = m_view.indexOf(keepRowIndex);
        if (pos >= 0) {
            m_pos = pos;
            return;
        }
    }
    if (m_view.isEmpty())
        m_pos = -1;
    else
        m_pos = std::clamp(m_pos, 0, int(m_view.size()) - 1);
}

// --- values ---------------------------------------------------------------------

int Dataset::currentRowIndex() const
{
    return m_pos < 0 || m_pos >= m_view.size() ? -1 : m_view[m_pos];
}

QVariant Dataset::keyOf(const Row &row) const
{
    return row.value(rowIdSlot());
}

// A row with its deferred values read, as a write must match them.
Row Dataset::withDeferred(int rowIndex) const
{
    Row complete = rowAt(rowIndex);
    for (const auto &f : m_fields)
        if (isDeferred(f.get()))
            complete[f->index()] = rawValue(rowIndex, f.get());
    return complete;
}

// A row as the snapshot holds it: without its deferred values.
Row Dataset::heldForm(Row row) const
{
    for (const auto &f : m_fields)
        if (isDeferred(f.get()) && f->index() < row.size())
            row[f->index()] = QVariant();
    return row;
}

QVariant Dataset::slotValue(int rowIndex, int slot) const
{
    return rowIndex == PendingRow ? m_buffer.value(slot) : m_rows.value(rowIndex, slot);
}

QVariant Dataset::lookedUp(int rowIndex, const Field *field) const
{
    const Field *key = findField(field->lookupKeyField());
    return key ? field->lookupValue(slotValue(rowIndex, key->index())) : QVariant();
}

QVariant Dataset::rawValue(int rowIndex, const Field *field) const
{
    if (field->type() == FieldType::Lookup)
        return lookedUp(rowIndex, field);
    QVariant v = slotValue(rowIndex, field->index());
    if (v.isValid() || !isDeferred(field) || rowIndex == PendingRow)
        return v;
    // Read on demand, with one row cached, so a large catalogue stays small.
    if (rowIndex < 0 || rowIndex >= m_rows.size())
        return v;
    if (rowIndex == m_deferredRow && m_deferredCache.contains(field->index()))
        return m_deferredCache.value(field->index());
    const QVariant loaded = loadDeferred(rowAt(rowIndex), field);
    if (rowIndex != m_deferredRow)
        m_deferredCache.clear();
    m_deferredRow = rowIndex;
    m_deferredCache.insert(field->index(), loaded);
    return loaded;
}

QVariant Dataset::valueAt(int row, const Field *field) const
{
    if (row < 0 || row >= m_view.size())
        return {};
    return rawValue(m_view[row], field);
}

QString Dataset::displayTextAt(int row, const Field *field) const
{
    return field->displayText(valueAt(row, field));
}

QVariant Dataset::currentValue(const Field *field) const
{
    if (isEditing())
        return rawValue(PendingRow, field);
    const int row = currentRowIndex();
    return row >= 0 ? rawValue(row, field) : QVariant();
}

// --- master-detail ----------------------------------------------------------

void Dataset::setMaster(Dataset *master, const QString &masterField, const QString &detailField)
{
    m_master = master;
    m_masterField = masterField;
    m_detailField = detailField;
    connect(master, &Dataset::changed, this, [this](Dataset::Change c) {
        if (c != Change::Record)
            masterMoved();
    });
}

QVariant Dataset::masterValue() const
{
    if (!m_master)
        return {};
    const Field *f = m_master->findField(m_masterField);
    return f ? m_master->currentValue(f) : QVariant();
}

void Dataset::masterMoved()
{
    if (!isActive() || isEditing())
        return;
    const QVariant key = masterValue();
    if (key == m_lastMasterKey)
        return;
    m_lastMasterKey = key;
    try {
        m_rows = fetch();
    } catch (const DataError &) {
        readAgainLater(); // the rows of the previous master stay until then
        throw;
    }
    m_caches->clear();
    m_deferredCache.clear();
    m_deferredRow = -1;
    rebuildView();
    m_pos = m_view.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.isEmpty();
    emit changed(Change::Reset);
    emit afterScroll();
}

// --- default writers: a dataset that is not over a table can't be changed ----

Row Dataset::writeInsert(const Row &, const QVector<bool> &)
{
    throw DataError(QStringLiteral("%1: набор данных только для чтения").arg(objectName()));
}

void Dataset::writeUpdate(const Row &, const Row &, const QVector<bool> &)
{
    throw DataError(QStringLiteral("%1: набор данных только для чтения").arg(objectName()));
}

void Dataset::writeDelete(const Row &)
{
    throw DataError(QStringLiteral("%1: набор данных только для чтения").arg(objectName()));
}
