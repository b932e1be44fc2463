#pragma once

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

} // namespace SalesSummary
