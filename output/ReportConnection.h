#pragma once

#include "output/BandedReport.h"

#include <QObject>

class Dataset;

// A report's data connection over a dataset: the rows that pass its filter, in
// its order, read as they stand when the report runs; values are the fields'
// display texts (lookup fields included).
class ReportConnection : public QObject, public ReportData
{
    Q_OBJECT
public:
    explicit ReportConnection(const QString &name = QString(), QObject *parent = nullptr);

    Dataset *dataSet() const { return m_dataSet; }
    void setDataSet(Dataset *dataSet) { m_dataSet = dataSet; }

    int rowCount() const override;
    bool hasField(const QString &field) const override;
    QString text(int row, const QString &field) const override;
    QByteArray bytes(int row, const QString &field) const override;

private:
    Dataset *m_dataSet = nullptr;
};
