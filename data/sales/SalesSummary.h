#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QVariant>

class Database;

// The table sales_month: the sales totalled per month and category, kept
// exact by triggers on orders and projects (see the schema of each engine).
namespace SalesSummary {

// The table is there with the helpers and triggers of this program's schema
// (its totals can be trusted to follow every change).
bool present(const Database &db);

// A catalogue made before the table existed, or whose table, helpers or
// triggers differ from the program's (made by an older version, or changed
// by another tool), gets the program's, filled from the sales, with the
// sales' index by project widened, in one transaction. Returns whether the
// summary is the program's now: a read-only file, or one another program
// holds, goes on without it and its totals are read from the sales themselves.
bool ensure(Database &db);

// Makes the summary anew and fills it from the sales, whatever it held;
// throws DataError.
void rebuild(Database &db);

// The same totals counted by a writer that sees every sale go in while the
// triggers are left out (a bulk load into an empty catalogue), then stored
// at once into the empty table.
class Totals
{
public:
    // catId: the category of the sale's project, 0 for none or no project.
    void add(const QVariant &date, qint64 catId, const QVariant &summ);
    void store(Database &db) const;

private:
    struct Sum {
        qint64 sales = 0, summed = 0, hi = 0, lo = 0;
    };
    QHash<QPair<QString, qint64>, Sum> m_sums;
};

} // namespace SalesSummary
