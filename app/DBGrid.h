#pragma once

#include "app/GridColumn.h"
#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QList>
#include <QPointer>
#include <QTableView>

class DatasetModel;

// A read-only grid over a data source: whole-row single selection that
// follows the dataset's current row both ways, column titles, a narrow row
// indicator marking the current row, resizable columns.
class DBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    Dataset *dataset() const;
    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const;
    DatasetModel *datasetModel() const { return m_model; }

    // Cells painted by gridDrawStriped.
    void setStriped(bool on);
    bool isStriped() const { return m_striped; }
    void setColumnLines(bool on);
    void setRowLines(bool on);
    bool columnLines() const { return m_columnLines; }
    bool rowLines() const { return m_rowLines; }

signals:
    void cellClick(); // a click on a cell, also on the current row
    void dblClick();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    // A grid of whole rows brings a row into view upwards or downwards only:
    // a click must not carry the first columns out of sight. The arrow keys
    // still scroll sideways.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void bindDataset();
    void applyWidths();
    void applyGridStyle();
    // Selects the dataset's current row; scroll: and brings it into view.
    void syncFromDataset(bool scroll = true);
    bool currentRowInView() const;
    void drawSingleLines();

    DatasetModel *m_model;
    QPointer<Dataset> m_dataset;
    QMetaObject::Connection m_connection;
    QMetaObject::Connection m_scrollConnection;
    bool m_currentWasInView = false;
    bool m_striped = false;
    bool m_columnLines = true;
    bool m_rowLines = true;
    bool m_syncing = false;
    bool m_keyScroll = false;
};
