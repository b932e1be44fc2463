#include "SalesSummary.h"

#include "DataError.h"
#include "Database.h"
#include "Engine.h"

namespace {

const char *const kTable = "sales_month";

// The same totals the triggers keep, made at once from every sale.
const char *const kFillSql =
    "INSERT INTO sales_month (month, cat_id, sales, summed, summ_hi, summ_lo)"
    " SELECT COALESCE(substr(o.date_orders, 1, 7), ''), COALESCE(p.cat_id, 0), COUNT(*), COUNT(o.summ),"
    " COALESCE(SUM(o.summ >> 32), 0), COALESCE(SUM(o.summ & 4294967295), 0)"
    " FROM orders o LEFT JOIN projects p ON p.project_id = o.project_id"
    " GROUP BY COALESCE(substr(o.date_orders, 1, 7), ''), COALESCE(p.cat_id, 0)";

// The schema's statements that make the table, its helpers and its triggers
// (all of them, and only they, carry its name), and the index of the sales
// by project made as wide as the schema makes it now.
QStringList definition(const Database &db)
{
    QStringList statements{QStringLiteral("DROP INDEX IF EXISTS orders_project_id")};
    for (const QString &s : splitStatements(db.engine().schemaSql()))
        if (s.contains(QLatin1String(kTable)) || s.startsWith(QLatin1String("CREATE INDEX orders_project_id ")))
            statements << s;
    return statements;
}

} // namespace

namespace SalesSummary {

bool present(const Database &db)
{
    return db.engine().hasTable(db, QLatin1String(kTable));
}

bool ensure(Database &db)
{
    if (present(db))
        return true;
    if (db.isReadOnly())
        return false;
    try {
        db.transaction([&] {
            // The triggers come before the fill: on a server they hold back
            // other writers of the sales until the commit.
            if (present(db))
                return;
            db.runScript(definition(db).join(QStringLiteral(";\n")));
            db.exec(QString::fromLatin1(kFillSql));
        });
    } catch (const DataError &) {
        // Busy, or made by another program meanwhile.
    }
    return present(db);
}

} // namespace SalesSummary
