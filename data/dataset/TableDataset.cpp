#include "data/dataset/TableDataset.h"

#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/engine/RecordText.h"
#include "data/dataset/SqlValues.h"

#include <QDate>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString ChangedText = QStringLiteral(
    "Запись изменена другим пользователем, пока вы её редактировали. Ваши изменения не сохранены: "
    "данные обновлены, проверьте их и сохраните ещё раз.");
const QString DeletedText = QStringLiteral(
    "Запись удалена другим пользователем. Сохранить изменения нельзя.");
const QString AlreadyDeletedText = QStringLiteral("Запись уже удалена другим пользователем.");
const QString ChangedBeforeDeleteText = QStringLiteral(
    "Запись изменена другим пользователем и не удалена. Данные обновлены; удалите её ещё раз, "
    "если это нужно.");

// The value as this program would read it back after writing it, so that a
// date with a zero time of day and the same date without one compare equal.
QVariant canonical(FieldType type, const QVariant &value)
{
    return SqlValues::fromSql(type, SqlValues::toSql(type, value));
}

// The driver reads a zero-length picture as a null byte array, which would
// be bound back as NULL: keep it a zero-length value.
QVariant asRead(const QVariant &value)
{
    if (!value.isNull() && value.typeId() == QMetaType::QByteArray && value.toByteArray().isNull())
        return QByteArray("");
    return value;
}

// "yyyy-MM-dd" as a date; nothing for any other text.
std::optional<QDate> plainIsoDate(QStringView text)
{
    if (text.size() != 10 || text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-'))
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    int part = 0;
    for (int i = 0; i < 10; ++i) {
        if (i == 4 || i == 7) {
            ++part;
            continue;
        }
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        parts[part] = parts[part] * 10 + (c - u'0');
    }
    const QDate date(parts[0], parts[1], parts[2]);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// What SqlValues::fromSql gives, without converting again a value the driver
// read in that form already: on a large snapshot the conversions cost as
// much as a good part of the reading.
QVariant snapshotValue(FieldType type, const QVariant &stored)
{
    if (stored.isNull())
        return {};
    const int id = stored.typeId();
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (id == QMetaType::QString)
            return stored;
        break;
    case FieldType::AutoInc:
    case FieldType::Integer:
        if (id == QMetaType::Int)
            return stored;
        if (id == QMetaType::LongLong)
            return int(stored.toLongLong());
        break;
    case FieldType::Money:
        if (id == QMetaType::LongLong)
            return stored;
        break;
    case FieldType::Boolean:
        if (id == QMetaType::Int)
            return stored.toInt() != 0;
        if (id == QMetaType::LongLong)
            return stored.toLongLong() != 0;
        break;
    case FieldType::DateTime:
        if (id == QMetaType::QString) {
            if (const std::optional<QDate> date = plainIsoDate(stored.toString()))
                return *date;
        }
        break;
    default:
        break;
    }
    return SqlValues::fromSql(type, stored);
}

// The digits of a whole number, as the server writes one; nothing for
// anything else or for more digits than always fit.
std::optional<qint64> plainInteger(QStringView text)
{
    const bool negative = text.startsWith(u'-');
    const QStringView digits = negative ? text.mid(1) : text;
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    qint64 n = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    return negative ? -n : n;
}

// A value of a packed row into its slot, as snapshotValue would give it
// from the driver's own value.
void storeText(RowStore &rows, int row, const Field *f, QStringView text)
{
    const int slot = f->index();
    switch (f->type()) {
    case FieldType::Text:
    case FieldType::Memo:
        rows.setText(row, slot, text);
        return;
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Money:
    case FieldType::Boolean:
        if (const std::optional<qint64> n = plainInteger(text)) {
            rows.setValue(row, slot, f->type() == FieldType::Money ? QVariant::fromValue<qlonglong>(*n)
                                     : f->type() == FieldType::Boolean ? QVariant(*n != 0)
                                                                       : QVariant(int(*n)));
            return;
        }
        break;
    case FieldType::DateTime:
        if (const std::optional<QDate> date = plainIsoDate(text)) {
            rows.setValue(row, slot, *date);
            return;
        }
        break;
    default:
        break;
    }
    rows.setValue(row, slot, snapshotValue(f->type(), text.toString()));
}

void storePacked(RowStore &rows, int row, const QVector<const Field *> &read, const QString &record)
{
    RecordText fields(record);
    for (const Field *f : read)
        if (const std::optional<QStringView> text = fields.next())
            storeText(rows, row, f, *text);
}

} // namespace

TableDataset::TableDataset(Database *db, const QString &name, const QString &table, QObject *parent)
    : Dataset(db, name, parent), m_table(table)
{
}

void TableDataset::addReference(const QString &field, const QString &table, const QString &column,
                                const QString &missingText)
{
    m_references.append({field, table, column, missingText});
}

void TableDataset::addDependent(const QString &table, const QString &column, const QString &inUseText)
{
    m_dependents.append({table, column, inUseText});
}

bool TableDataset::isDeferred(const Field *f) const
{
    return f->type() == FieldType::Blob;
}

QString TableDataset::rowId() const
{
    return database()->engine().rowIdColumn(*database(), m_table);
}

const Field *TableDataset::keyField() const
{
    for (const auto &f : fields())
        if (f->type() == FieldType::AutoInc)
            return f.get();
    return nullptr;
}

// The fields that are columns of the table; pictures only when asked for.
QVector<const Field *> TableDataset::storedFields(bool withDeferred) const
{
    QVector<const Field *> stored;
    for (const auto &f : fields())
        if (f->type() != FieldType::Lookup && (withDeferred || !isDeferred(f.get())))
            stored << f.get();
    return stored;
}

RowStore TableDataset::fetch()
{
    const QVector<const Field *> read = storedFields(false);
    QStringList columns;
    int keyAt = -1; // where the row's id is one of the fields (a server's key)
    const QString id = rowId();
    for (const Field *f : read) {
        if (f->name().compare(id, Qt::CaseInsensitive) == 0)
            keyAt = int(columns.size());
        columns << f->name();
    }
    // Packed only where the id comes as a field, so that it keeps its type.
    const QString packed = keyAt >= 0 ? database()->engine().packedRow(columns) : QString();
    if (packed.isEmpty())
        columns << id;
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(packed.isEmpty() ? columns.join(QLatin1String(", ")) : packed, m_table);
    QHash<QString, QVariant> params;
    if (hasMaster()) {
        sql += QStringLiteral(" WHERE %1 = :master ORDER BY %1, %2").arg(detailField(), id);
        params.insert(QStringLiteral("master"), masterValue());
    } else {
        sql += QStringLiteral(" ORDER BY %1").arg(id);
    }
    RowStore rows;
    const int idSlot = rowIdSlot();
    database()->readKept(sql, params, [&](QSqlQuery &q) {
        if (!packed.isEmpty()) {
            while (q.next()) {
                const int row = rows.appendEmpty();
                storePacked(rows, row, read, q.value(0).toString());
                rows.setValue(row, idSlot, rows.value(row, read[keyAt]->index()));
            }
            return;
        }
        while (q.next()) {
            const int row = rows.appendEmpty();
            for (int i = 0; i < read.size(); ++i)
                rows.setValue(row, read[i]->index(), snapshotValue(read[i]->type(), q.value(i)));
            rows.setValue(row, idSlot, q.value(int(read.size())));
        }
    });
    rows.squeeze();
    return rows;
}

std::optional<TableDataset::Stored> TableDataset::readStored(const QVariant &key) const
{
    const QVector<const Field *> read = storedFields(true);
    QStringList columns;
    for (const Field *f : read)
        columns << f->name();
    QSqlQuery q = database()->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :rowid_")
                                       .arg(columns.join(QLatin1String(", ")), m_table, rowId()),
                                   {{QStringLiteral("rowid_"), key}});
    if (!q.next())
        return std::nullopt;
    Stored stored(fieldCount());
    for (int i = 0; i < read.size(); ++i)
        stored[read[i]->index()] = asRead(q.value(i));
    return stored;
}

std::optional<Row> TableDataset::fetchRow(const QVariant &key) const
{
    const std::optional<Stored> stored = readStored(key);
    if (!stored)
        return std::nullopt;
    Row row(fieldCount() + 1);
    for (const Field *f : storedFields(true))
        row[f->index()] = SqlValues::fromSql(f->type(), stored->at(f->index()));
    row[rowIdSlot()] = key;
    return row;
}

TableDataset::Stored TableDataset::storedForm(const Row &row) const
{
    Stored stored(fieldCount());
    for (const Field *f : storedFields(true))
        stored[f->index()] = SqlValues::toSql(f->type(), row.value(f->index()));
    return stored;
}

// Runs statement on the row with key, only while every column still holds
// the value in match; returns the rows it changed.
int TableDataset::execMatching(const QString &statement, QHash<QString, QVariant> params,
                               const QVariant &key, const Stored &match) const
{
    QStringList where{QStringLiteral("%1 = :rowid_").arg(rowId())};
    params.insert(QStringLiteral("rowid_"), key);
    for (const Field *f : storedFields(true)) {
        if (f->type() == FieldType::AutoInc)
            continue; // the key itself
        const QString p = QStringLiteral("o%1").arg(f->index());
        where << QStringLiteral("%1 %2 :%3").arg(f->name(), database()->sameValueOperator(), p);
        params.insert(p, match.value(f->index()));
    }
    return database()->exec(statement + QStringLiteral(" WHERE ") + where.join(QLatin1String(" AND ")),
                            params).numRowsAffected();
}

void TableDataset::writeMatching(const QString &statement, const QHash<QString, QVariant> &params,
                                 const Row &original, bool deleting) const
{
    const QVariant key = keyOf(original);
    if (execMatching(statement, params, key, storedForm(original)) > 0)
        return;
    const std::optional<Stored> stored = readStored(key);
    if (!stored)
        throw DataError(deleting ? AlreadyDeletedText : DeletedText, DataError::Kind::Conflict);
    const QString changedText = deleting ? ChangedBeforeDeleteText : ChangedText;
    for (const Field *f : storedFields(true))
        if (canonical(f->type(), SqlValues::fromSql(f->type(), stored->at(f->index())))
            != canonical(f->type(), original.value(f->index())))
            throw DataError(changedText, DataError::Kind::Conflict);
    // The values read, kept in another form than this program writes (a date
    // with a zero time of day, an empty picture): match them as stored.
    if (execMatching(statement, params, key, *stored) == 0)
        throw DataError(changedText, DataError::Kind::Conflict);
}

void TableDataset::checkReferences(const Row &row, const QVector<bool> &dirty) const
{
    for (const Reference &r : m_references) {
        const Field *f = findField(r.field);
        if (!f || !dirty.value(f->index()))
            continue;
        const QVariant value = SqlValues::toSql(f->type(), row.value(f->index()));
        // Empty, or the 0 a new row gets while its reference book is empty:
        // no key was chosen, so none can have gone.
        if (value.isNull() || value == QVariant(0))
            continue;
        QSqlQuery q = database()->exec(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = :ref%3")
                                           .arg(r.table, r.column, database()->shareLockClause()),
                                       {{QStringLiteral("ref"), value}});
        if (!q.next())
            throw DataError(r.missingText, DataError::Kind::Conflict);
    }
}

void TableDataset::checkDependents(const Row &row) const
{
    const Field *key = keyField();
    if (!key)
        return;
    for (const Dependent &d : m_dependents) {
        QSqlQuery q = database()->exec(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = :key LIMIT 1")
                                           .arg(d.table, d.column),
                                       {{QStringLiteral("key"), row.value(key->index())}});
        if (q.next())
            throw DataError(d.inUseText, DataError::Kind::Conflict);
    }
}

// The checks run after the write, in its transaction: the write holds the
// lock, so what they find still holds when it commits.
Row TableDataset::writeInsert(const Row &row, const QVector<bool> &dirty)
{
    QStringList columns, marks;
    QHash<QString, QVariant> params;
    for (const auto &f : fields()) {
        if (f->isReadOnly() || !dirty.value(f->index()))
            continue;
        const QString p = QStringLiteral("p%1").arg(f->index());
        columns << f->name();
        marks << QLatin1Char(':') + p;
        params.insert(p, SqlValues::toSql(f->type(), row[f->index()]));
    }
    const QString sql = columns.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
              .arg(m_table, columns.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    const Engine &engine = database()->engine();
    QVariant id;
    database()->transaction([&] {
        QSqlQuery q = database()->exec(engine.returningKey(sql, rowId()), params);
        id = engine.insertedKey(q);
        checkReferences(row, dirty);
    });
    Row stored = row;
    stored[rowIdSlot()] = id;
    if (const Field *key = keyField())
        stored[key->index()] = id.toInt();
    return stored;
}

void TableDataset::writeUpdate(const Row &before, const Row &after, const QVector<bool> &dirty)
{
    QStringList sets;
    QHash<QString, QVariant> params;
    for (const auto &f : fields()) {
        if (f->isReadOnly() || !dirty.value(f->index()))
            continue;
        const QString p = QStringLiteral("p%1").arg(f->index());
        sets << QStringLiteral("%1 = :%2").arg(f->name(), p);
        params.insert(p, SqlValues::toSql(f->type(), after[f->index()]));
    }
    if (sets.isEmpty())
        return;
    const QString statement = QStringLiteral("UPDATE %1 SET %2").arg(m_table, sets.join(QLatin1String(", ")));
    database()->transaction([&] {
        writeMatching(statement, params, before, false);
        checkReferences(after, dirty);
    });
}

void TableDataset::writeDelete(const Row &row)
{
    database()->transaction([&] {
        writeMatching(QStringLiteral("DELETE FROM %1").arg(m_table), {}, row, true);
        checkDependents(row);
    });
}

QVariant TableDataset::loadDeferred(const Row &row, const Field *f) const
{
    QVariant value;
    database()->readKept(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :rowid_").arg(f->name(), m_table, rowId()),
                         {{QStringLiteral("rowid_"), keyOf(row)}}, [&](QSqlQuery &q) {
                             if (q.next())
                                 value = SqlValues::fromSql(f->type(), q.value(0));
                         });
    return value;
}
