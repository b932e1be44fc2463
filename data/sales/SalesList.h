#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/QueryDataset.h"

#include <memory>

// Every sale of the database, by project, each project's in date order:
// fields order_id, project_id, date_orders, summ, comments. Opened.
std::unique_ptr<QueryDataset> openAllSales(Database *db);
