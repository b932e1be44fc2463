#pragma once

class Database;

// The table sales_month: the sales totalled per month and category, kept
// exact by triggers on orders and projects (see the schema of each engine).
namespace SalesSummary {

bool present(const Database &db);

// A catalogue made before the table existed gets it, filled from the sales,
// with its triggers (and the sales' index by project widened), in one
// transaction. Returns whether the table is there
// now: a read-only file, or one another program holds, goes on without it
// and its totals are read from the sales themselves.
bool ensure(Database &db);

} // namespace SalesSummary
