#include "data/dataset/QueryDataset.h"

#include "data/engine/Database.h"
#include "data/dataset/SqlValues.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

QueryDataset::QueryDataset(Database *db, const QString &name, const QString &sql, QObject *parent)
    : Dataset(db, name, parent), m_sql(sql)
{
}

QSqlQuery QueryDataset::run() const
{
    try {
        return database()->exec(m_sql, m_params.all());
    } catch (const DataError &e) {
        if (m_overflowSql.isEmpty() || !e.text().contains(QLatin1String("integer overflow")))
            throw;
    }
    return database()->exec(m_overflowSql, m_params.all());
}

RowStore QueryDataset::fetch()
{
    QSqlQuery q = run();
    const QSqlRecord rec = q.record();
    RowStore rows;
    QVector<int> slotOf(rec.count(), -1);
    bool typesKnown = false;
    while (q.next()) {
        if (!typesKnown) {
            // Columns not declared take their type from the first row.
            for (int c = 0; c < rec.count(); ++c) {
                Field *f = findField(rec.fieldName(c));
                if (!f && !isActive())
                    f = addField(rec.fieldName(c), SqlValues::typeOfColumn(q.value(c), rec.field(c).metaType()));
                slotOf[c] = f ? f->index() : -1;
            }
            typesKnown = true;
        }
        Row row(fieldCount() + 1);
        for (int c = 0; c < rec.count(); ++c)
            if (slotOf[c] >= 0)
                row[slotOf[c]] = SqlValues::fromSql(fields()[slotOf[c]]->type(), q.value(c));
        rows.append(row);
    }
    if (!typesKnown) {
        for (int c = 0; c < rec.count(); ++c)
            if (!findField(rec.fieldName(c)))
                addField(rec.fieldName(c), SqlValues::typeOfColumn({}, rec.field(c).metaType()));
    }
    return rows;
}
