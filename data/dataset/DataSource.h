#pragma once

#include <QObject>
#include <QString>

class Dataset;

// The link through which views and bound widgets reach a dataset.
class DataSource : public QObject
{
    Q_OBJECT
public:
    DataSource(Dataset *dataset, const QString &name, QObject *parent = nullptr)
        : QObject(parent), m_dataset(dataset) { setObjectName(name); }
    Dataset *dataSet() const { return m_dataset; }

private:
    Dataset *m_dataset;
};
