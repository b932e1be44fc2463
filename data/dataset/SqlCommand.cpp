#include "data/dataset/SqlCommand.h"

#include "data/engine/Database.h"

#include <QSqlQuery>

SqlCommand::SqlCommand(Database *db, const QString &name, const QString &sql, QObject *parent)
    : QObject(parent), m_db(db), m_sql(sql)
{
    setObjectName(name);
}

int SqlCommand::execute()
{
    return m_db->exec(m_sql, m_params.all()).numRowsAffected();
}
