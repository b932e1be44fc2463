#include "data/sales/SalesList.h"

std::unique_ptr<QueryDataset> openAllSales(Database *db)
{
    auto sales = std::make_unique<QueryDataset>(
        db, QStringLiteral("sqlOrdersAll"),
        QStringLiteral("SELECT order_id, project_id, date_orders, summ, comments FROM orders"
                       " ORDER BY project_id, date_orders, order_id"));
    sales->addField(QStringLiteral("order_id"), FieldType::AutoInc);
    sales->addField(QStringLiteral("project_id"), FieldType::Integer);
    sales->addField(QStringLiteral("date_orders"), FieldType::DateTime);
    sales->addField(QStringLiteral("summ"), FieldType::Money);
    sales->addField(QStringLiteral("comments"), FieldType::Text, 255);
    sales->open();
    return sales;
}
