#pragma once

#include "data/engine/Engine.h"

#include <QString>
#include <QVector>
#include <functional>

class Database;

// The catalogue's trail: the recycle bin and the history of changes, kept by
// triggers (see the schema of each engine) for every writer of the catalogue.
namespace Trail {

// Its tables, helpers and triggers are those of this program's schema.
bool present(const Database &db);

// A catalogue made before the trail, or whose helpers and triggers differ
// from the program's, gets the program's in one transaction; tables that are
// there keep what they hold. On the file the connection then names its user
// in each of its write transactions. Returns whether the trail is there now:
// a read-only catalogue, or one another program holds, goes on without it.
bool ensure(Database &db);

// The tables of the bin and the history in the order a copy fills them,
// with their keys (the rows of a bin entry have none of their own).
const QVector<CatalogueTable> &tables();

// Runs a load that puts whole rows in (a copy, a conversion), whose rows are
// no changes, with the history's triggers off: dropped inside the caller's
// transaction and made again before it ends, so no other writer goes
// unrecorded meanwhile. Without the history the load just runs.
void withoutHistory(Database &db, const std::function<void()> &load);

// The login name of whoever runs the program; empty when it can't be told.
QString loginName();

} // namespace Trail
