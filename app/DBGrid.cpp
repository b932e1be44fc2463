#include "app/DBGrid.h"

#include "app/DatasetModel.h"
#include "app/GridHeaders.h"
#include "app/StripedDelegate.h"
#include "app/StripedGridStyle.h"
#include "data/dataset/Field.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>

namespace {
constexpr int IndicatorWidth = 14;
constexpr int CellPadding = 4;
} // namespace

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), m_model(new DatasetModel(this))
{
    auto *indicator = new IndicatorHeader(IndicatorWidth, this);
    setVerticalHeader(indicator);
    setHorizontalHeader(new TitleHeader(this));
    connect(m_model, &DatasetModel::markerMoved, indicator, &IndicatorHeader::updateSection);
    setModel(m_model);
    // The titles stay over a reset of the rows alone: Qt would lay them out
    // and repaint them at every filter, search or move of a master.
    disconnect(m_model, &QAbstractItemModel::modelReset, horizontalHeader(), nullptr);
    connect(m_model, &DatasetModel::columnsChanged, horizontalHeader(), &QHeaderView::reset);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setWordWrap(false);
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + CellPadding);
    verticalHeader()->setFixedWidth(IndicatorWidth);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);

    // Rows read again under the same current row (another user's change)
    // leave the view where the user left it; a move of the current row
    // (afterScroll) brings it into view.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_currentWasInView = currentRowInView(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { syncFromDataset(m_currentWasInView); });
    connect(this, &QAbstractItemView::clicked, this, &DBGrid::cellClick);
    connect(this, &QAbstractItemView::doubleClicked, this, &DBGrid::dblClick);
    applyGridStyle();
}

void DBGrid::setDataSource(DataSource *source)
{
    m_model->setDataSource(source);
    bindDataset();
}

DataSource *DBGrid::dataSource() const
{
    return m_model->dataSource();
}

Dataset *DBGrid::dataset() const
{
    return m_model->dataset();
}

void DBGrid::setColumns(const QList<GridColumn> &columns)
{
    m_model->setColumns(columns);
    applyWidths();
}

const QList<GridColumn> &DBGrid::columns() const
{
    return m_model->columns();
}

void DBGrid::bindDataset()
{
    QObject::disconnect(m_connection);
    QObject::disconnect(m_scrollConnection);
    m_dataset = m_model->dataset();
    if (m_dataset) {
        m_connection = connect(m_dataset, &Dataset::changed, this, [this](Dataset::Change c) {
            if (c == Dataset::Change::Scroll || c == Dataset::Change::State)
                syncFromDataset();
        });
        m_scrollConnection = connect(m_dataset, &Dataset::afterScroll, this, [this] { syncFromDataset(); });
    }
    syncFromDataset();
}

void DBGrid::applyWidths()
{
    const int charWidth = fontMetrics().averageCharWidth();
    const QList<GridColumn> &cols = m_model->columns();
    for (int c = 0; c < cols.size(); ++c) {
        int width = cols[c].width;
        if (width < 0) {
            const Field *field = m_model->fieldAt(c);
            width = (field ? field->displayWidth() : 10) * charWidth + CellPadding;
        }
        setColumnWidth(c, width);
    }
}

void DBGrid::setStriped(bool on)
{
    if (on == m_striped)
        return;
    m_striped = on;
    QAbstractItemDelegate *old = itemDelegate();
    setItemDelegate(on ? new StripedDelegate(this) : new QStyledItemDelegate(this));
    delete old;
    setStyle(on ? StripedGridStyle::instance() : nullptr);
}

void DBGrid::setColumnLines(bool on)
{
    m_columnLines = on;
    applyGridStyle();
}

void DBGrid::setRowLines(bool on)
{
    m_rowLines = on;
    applyGridStyle();
}

// QTableView draws both kinds of lines or none; a single kind is drawn here.
void DBGrid::applyGridStyle()
{
    setShowGrid(m_columnLines && m_rowLines);
    viewport()->update();
}

void DBGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (m_columnLines != m_rowLines)
        drawSingleLines();
}

void DBGrid::drawSingleLines()
{
    // The colour QTableView draws its own lines in; the style needs the option for it.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QPainter painter(viewport());
    painter.setPen(QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this))));
    const int rows = m_model->rowCount();
    const int bottom = rows ? qMin(viewport()->height(),
                                   rowViewportPosition(rows - 1) + rowHeight(rows - 1)) : 0;
    const int right = qMin(viewport()->width(), horizontalHeader()->length() - horizontalOffset());
    if (m_columnLines) {
        for (int c = 0; c < m_model->columnCount(); ++c) {
            const int x = columnViewportPosition(c) + columnWidth(c) - 1;
            painter.drawLine(x, 0, x, bottom - 1);
        }
    } else {
        for (int r = rowAt(0); r >= 0 && r < rows; ++r) {
            const int y = rowViewportPosition(r) + rowHeight(r) - 1;
            if (y > viewport()->height())
                break;
            painter.drawLine(0, y, right - 1, y);
        }
    }
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid() || !m_dataset || m_dataset->recNo() == current.row() + 1)
        return;
    m_syncing = true;
    m_dataset->setRecNo(current.row() + 1);
    m_syncing = false;
    if (m_dataset->recNo() != current.row() + 1)
        syncFromDataset(); // the dataset did not move: show where it is
}

void DBGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (selectionBehavior() == SelectRows && !m_keyScroll)
        horizontalScrollBar()->setValue(sideways);
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    m_keyScroll = true;
    QTableView::keyPressEvent(event);
    m_keyScroll = false;
}

bool DBGrid::currentRowInView() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && viewport()->rect().intersects(visualRect(current));
}

void DBGrid::syncFromDataset(bool scroll)
{
    if (m_syncing)
        return;
    m_syncing = true;
    const int row = m_dataset && m_dataset->isActive() ? m_dataset->recNo() - 1 : -1;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clear();
    } else {
        const int column = qMax(0, currentIndex().column());
        const QModelIndex index = m_model->index(row, qMin(column, m_model->columnCount() - 1));
        const bool autoScrolls = hasAutoScroll(); // a new current index scrolls to itself
        setAutoScroll(scroll && autoScrolls);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                     | QItemSelectionModel::Rows);
        setAutoScroll(autoScrolls);
        if (scroll)
            scrollTo(index);
    }
    m_syncing = false;
}
