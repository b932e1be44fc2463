#include "Dataset.h"

#include "Database.h"
#include "Engine.h"
#include "SqlValues.h"

#include <QSqlQuery>
#include <QSqlRecord>

TableDataset::TableDataset(Database *db, const QString &name, const QString &table, QObject *parent)
    : Dataset(db, name, parent), m_table(table)
{
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

QVector<Row> TableDataset::fetch()
{
    QStringList columns;
    QVector<const Field *> read;
    for (const auto &f : fields()) {
        if (f->type() == FieldType::Lookup || isDeferred(f.get()))
            continue;
        columns << f->name();
        read << f.get();
    }
    const QString id = rowId();
    columns << id;
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QLatin1String(", ")), m_table);
    QHash<QString, QVariant> params;
    if (hasMaster()) {
        sql += QStringLiteral(" WHERE %1 = :master ORDER BY %1, %2").arg(detailField(), id);
        params.insert(QStringLiteral("master"), masterValue());
    } else {
        sql += QStringLiteral(" ORDER BY %1").arg(id);
    }
    QSqlQuery q = database()->exec(sql, params);
    QVector<Row> rows;
    while (q.next()) {
        Row row(fieldCount() + 1);
        for (int i = 0; i < read.size(); ++i)
            row[read[i]->index()] = SqlValues::fromSql(read[i]->type(), q.value(i));
        row[rowIdSlot()] = q.value(read.size());
        rows.append(std::move(row));
    }
    return rows;
}

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
    QSqlQuery q = database()->exec(engine.returningKey(sql, rowId()), params);
    Row stored = row;
    const QVariant id = engine.insertedKey(q);
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
    params.insert(QStringLiteral("rowid_"), keyOf(before));
    database()->exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = :rowid_")
                         .arg(m_table, sets.join(QLatin1String(", ")), rowId()),
                     params);
}

void TableDataset::writeDelete(const Row &row)
{
    database()->exec(QStringLiteral("DELETE FROM %1 WHERE %2 = :rowid_").arg(m_table, rowId()),
                     {{QStringLiteral("rowid_"), keyOf(row)}});
}

QVariant TableDataset::loadDeferred(const Row &row, const Field *f) const
{
    QSqlQuery q = database()->exec(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :rowid_").arg(f->name(), m_table, rowId()),
        {{QStringLiteral("rowid_"), keyOf(row)}});
    return q.next() ? SqlValues::fromSql(f->type(), q.value(0)) : QVariant();
}
