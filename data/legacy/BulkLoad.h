#pragma once

#include "data/sales/SalesSummary.h"

#include <QStringList>
#include <functional>

class Database;

// Filling a new, empty file catalogue at once, inside one transaction: its
// secondary indexes and the sales summary's triggers are left out while the
// rows go in (each row would update them one by one), then made again from
// the schema's own statements as the catalogue has them, and the summary
// stored from the totals the loader counted. Unique indexes stay, and so
// does every other trigger. On a server nothing is left out.
class BulkLoad
{
public:
    // Settings of the connection for the load, before its transaction.
    static void prepare(Database &db);
    // Inside the transaction.
    explicit BulkLoad(Database &db);
    // tick runs about ten times a second meanwhile; false from it stops the
    // statement running, which then throws DataError. The totals are stored
    // only where the triggers were left out.
    void finish(const SalesSummary::Totals &totals, const std::function<bool()> &tick);

private:
    Database &m_db;
    QStringList m_restore;
};
