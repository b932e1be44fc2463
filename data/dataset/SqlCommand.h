#pragma once

#include "data/dataset/Parameters.h"

#include <QObject>
#include <QString>

class Database;

// A statement that is only executed.
class SqlCommand : public QObject
{
    Q_OBJECT
public:
    SqlCommand(Database *db, const QString &name, const QString &sql, QObject *parent = nullptr);
    QString sql() const { return m_sql; }
    Parameters &params() { return m_params; }
    int execute(); // rows affected; throws DataError

private:
    Database *m_db;
    QString m_sql;
    Parameters m_params;
};
