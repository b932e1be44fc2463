#include "app/DatasetModel.h"

#include "data/dataset/Field.h"

DatasetModel::DatasetModel(QObject *parent) : QAbstractTableModel(parent) {}

Dataset *DatasetModel::dataset() const
{
    return m_dataset;
}

void DatasetModel::setDataSource(DataSource *source)
{
    m_source = source;
    bind();
}

void DatasetModel::setColumns(const QList<GridColumn> &columns)
{
    m_columns = columns;
    bind();
}

Field *DatasetModel::fieldAt(int column) const
{
    return column >= 0 && column < m_fields.size() ? m_fields[column] : nullptr;
}

void DatasetModel::bind()
{
    beginResetModel();
    QObject::disconnect(m_connection);
    m_dataset = m_source ? m_source->dataSet() : nullptr;
    m_fields.clear();
    resolveFields();
    if (m_dataset)
        m_connection = connect(m_dataset, &Dataset::changed, this, &DatasetModel::datasetChanged);
    m_markedRow = m_dataset && m_dataset->isActive() ? m_dataset->recNo() - 1 : -1;
    endResetModel();
    emit columnsChanged();
}

// A query dataset learns the fields it was not told about when it opens.
void DatasetModel::resolveFields()
{
    m_fields.resize(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c)
        if (!m_fields[c] && m_dataset)
            m_fields[c] = m_dataset->findField(m_columns[c].field);
}

void DatasetModel::datasetChanged(Dataset::Change change)
{
    switch (change) {
    case Dataset::Change::Reset:
        beginResetModel();
        resolveFields();
        m_markedRow = m_dataset->isActive() ? m_dataset->recNo() - 1 : -1;
        endResetModel();
        break;
    case Dataset::Change::Record: {
        const int row = m_dataset->recNo() - 1;
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        break;
    }
    case Dataset::Change::State:
    case Dataset::Change::Scroll:
        moveMarker();
        break;
    }
}

void DatasetModel::moveMarker()
{
    const int previous = m_markedRow;
    m_markedRow = m_dataset && m_dataset->isActive() ? m_dataset->recNo() - 1 : -1;
    for (int row : {previous, m_markedRow})
        if (row >= 0 && row < rowCount())
            emit markerMoved(row);
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_dataset || !m_dataset->isActive())
        return 0;
    return m_dataset->recordCount();
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.size();
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    const Field *field = fieldAt(index.column());
    if (!field || index.row() >= rowCount())
        return {};
    const bool boolean = field->type() == FieldType::Boolean;
    switch (role) {
    case Qt::DisplayRole:
        return boolean ? QVariant() : QVariant(m_dataset->displayTextAt(index.row(), field));
    case Qt::CheckStateRole:
        if (!boolean)
            return {};
        return m_dataset->valueAt(index.row(), field).toBool() ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        return int(m_columns[index.column()].alignment | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_columns.size())
            return {};
        if (role == Qt::DisplayRole)
            return m_columns[section].title;
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return {};
    }
    if (role == Qt::DisplayRole)
        return section == m_markedRow ? QStringLiteral("▶") : QString();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
