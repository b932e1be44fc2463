#include "output/ReportConnection.h"

#include "data/dataset/Dataset.h"

ReportConnection::ReportConnection(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

int ReportConnection::rowCount() const
{
    return m_dataSet && m_dataSet->isActive() ? m_dataSet->recordCount() : 0;
}

bool ReportConnection::hasField(const QString &field) const
{
    return m_dataSet && m_dataSet->findField(field);
}

QString ReportConnection::text(int row, const QString &field) const
{
    const Field *f = m_dataSet ? m_dataSet->findField(field) : nullptr;
    return f ? m_dataSet->displayTextAt(row, f) : QString();
}

QByteArray ReportConnection::bytes(int row, const QString &field) const
{
    const Field *f = m_dataSet ? m_dataSet->findField(field) : nullptr;
    return f ? m_dataSet->valueAt(row, f).toByteArray() : QByteArray();
}
