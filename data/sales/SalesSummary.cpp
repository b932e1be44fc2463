#include "data/sales/SalesSummary.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"

#include <QSqlQuery>

#include <QSqlError>
#include <QSqlQuery>

namespace {

const char *const kTable = "sales_month";

// The same totals the triggers keep, made at once from every sale.
const char *const kFillSql =
    "INSERT INTO sales_month (month, cat_id, sales, summed, summ_hi, summ_lo)"
    " SELECT COALESCE(substr(o.date_orders, 1, 7), ''), COALESCE(p.cat_id, 0), COUNT(*), COUNT(o.summ),"
    " COALESCE(SUM(o.summ >> 32), 0), COALESCE(SUM(o.summ & 4294967295), 0)"
    " FROM orders o LEFT JOIN projects p ON p.project_id = o.project_id"
    " GROUP BY COALESCE(substr(o.date_orders, 1, 7), ''), COALESCE(p.cat_id, 0)";

// The schema's statements that make the table, its helpers and its triggers:
// all of them, and only they, carry its name.
QStringList summaryStatements(const Database &db)
{
    QStringList statements;
    for (const QString &s : splitStatements(db.engine().schemaSql()))
        if (s.contains(QLatin1String(kTable)))
            statements << s;
    return statements;
}

// Whatever the catalogue holds of the summary goes; the program's is made
// in its place, the index of the sales by project as wide as the schema
// makes it now, and filled from the sales.
void rebuildInside(Database &db)
{
    const Engine &engine = db.engine();
    QStringList statements = engine.dropStatements(db, QLatin1String(kTable));
    statements << QStringLiteral("DROP INDEX IF EXISTS orders_project_id");
    for (const QString &s : splitStatements(engine.schemaSql()))
        if (s.startsWith(QLatin1String("CREATE INDEX orders_project_id ")))
            statements << s;
    // The triggers come before the fill: on a server they hold back other
    // writers of the sales until the commit.
    statements << summaryStatements(db);
    db.runScript(statements.join(QStringLiteral(";\n")));
    db.exec(QString::fromLatin1(kFillSql));
}

} // namespace

namespace SalesSummary {

bool present(const Database &db)
{
    return db.engine().holdsExactly(db, summaryStatements(db), QLatin1String(kTable));
}

bool ensure(Database &db)
{
    if (present(db))
        return true;
    if (db.isReadOnly())
        return false;
    try {
        db.transaction([&] {
            if (!present(db)) // or made by another program meanwhile
                rebuildInside(db);
        });
    } catch (const DataError &) {
        // Busy, or no right to change the catalogue's tables.
    }
    return present(db);
}

void rebuild(Database &db)
{
    db.transaction([&] { rebuildInside(db); });
}

// As kFillSql and the triggers count: the month is the date's first seven
// characters, the sum split into its high (arithmetic shift) and low 32 bits.
void Totals::add(const QVariant &date, qint64 catId, const QVariant &summ)
{
    Sum &s = m_sums[{date.isNull() ? QString() : date.toString().left(7), catId}];
    ++s.sales;
    if (summ.isNull())
        return;
    const qint64 units = summ.toLongLong();
    ++s.summed;
    s.hi += units >> 32;
    s.lo += units & 0xffffffffll;
}

void Totals::store(Database &db) const
{
    QSqlQuery q = db.prepare(QStringLiteral(
        "INSERT INTO sales_month (month, cat_id, sales, summed, summ_hi, summ_lo) VALUES (?, ?, ?, ?, ?, ?)"));
    for (auto it = m_sums.cbegin(); it != m_sums.cend(); ++it) {
        const QVariantList values{it.key().first.isNull() ? QString(QLatin1String("")) : it.key().first,
                                  it.key().second, it->sales, it->summed, it->hi, it->lo};
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        if (!q.exec())
            throw DataError(QStringLiteral("Итоги продаж не записаны: %1").arg(q.lastError().text()));
    }
}

} // namespace SalesSummary
