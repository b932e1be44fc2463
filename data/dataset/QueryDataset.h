#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/Parameters.h"

class QSqlQuery;

// A read-only dataset over a statement with named parameters. Fields declared
// with addField() get that type; the others are taken from the result.
class QueryDataset : public Dataset
{
    Q_OBJECT
public:
    QueryDataset(Database *db, const QString &name, const QString &sql, QObject *parent = nullptr);
    QString sql() const { return m_sql; }
    Parameters &params() { return m_params; }
    bool canModify() const override { return false; }
    // A statement run instead when the first one's sums overflow 64 bits.
    void setOverflowSql(const QString &sql) { m_overflowSql = sql; }

protected:
    RowStore fetch() override;

private:
    QSqlQuery run() const;

    QString m_sql;
    QString m_overflowSql;
    Parameters m_params;
};
