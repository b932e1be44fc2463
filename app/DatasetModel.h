#pragma once

#include "app/GridColumn.h"
#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>

class Field;

// A table model over the visible rows of a dataset, one model column per grid
// column. Rows are read from the dataset on demand, so a reset costs nothing
// per row.
class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DatasetModel(QObject *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_source; }
    Dataset *dataset() const;
    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return m_columns; }
    // The field behind a model column; null when unbound or unknown.
    Field *fieldAt(int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // The indicator left or reached the row. Not headerDataChanged: every
    // view of the model would lay out all its rows and headers anew for it.
    void markerMoved(int row);
    // The columns or their fields may differ: after a reset by binding, not
    // after one of the rows alone.
    void columnsChanged();

private:
    void bind();
    void resolveFields();
    void datasetChanged(Dataset::Change change);
    void moveMarker();

    QPointer<DataSource> m_source;
    QPointer<Dataset> m_dataset;
    QList<GridColumn> m_columns;
    QVector<Field *> m_fields;
    QMetaObject::Connection m_connection;
    int m_markedRow = -1; // the row the indicator marks
};
