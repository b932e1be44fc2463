#include "service/Unit_bin.h"

#include "app/ListModel.h"
#include "app/Messages.h"
#include "app/Seams.h"
#include "data/core/DataError.h"
#include "data/module/UnitDM.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TfrmBin *frmBin = nullptr;

namespace {

const QString Caption = QStringLiteral("Корзина");

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QVariant cell(const RecycleBin::Entry &e, int column)
{
    switch (column) {
    case 0:
        return e.what();
    case 1:
        return e.when().isValid() ? e.when().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : e.deletedAt;
    default:
        return e.deletedBy;
    }
}

} // namespace

TfrmBin::TfrmBin(QWidget *parent) : ModalWindow(Caption, parent)
{
    setObjectName(QStringLiteral("frmBin"));
    setWindowFrame(this, QSize(620, 400), WindowBorder::Sizeable);
    setFont(programFont());

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);

    m_model = new BinModel({QStringLiteral("Что"), QStringLiteral("Когда"), QStringLiteral("Кто")}, cell, this);
    gridBin = listGrid(this, "gridBin", m_model);
    // Widths from the font, not from the rows: a bin of many thousands
    // would be measured row by row at every refresh.
    QHeaderView *header = gridBin->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->resizeSection(1, fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 16);
    header->resizeSection(2, fontMetrics().horizontalAdvance(QLatin1Char('m')) * 12);
    gridBin->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lblInfo->setBuddy(gridBin);

    btnRestore = button(this, "btnRestore", QStringLiteral("Восстановить"));
    btnErase = button(this, "btnErase", QStringLiteral("Удалить навсегда"));
    btnClear = button(this, "btnClear", QStringLiteral("Очистить корзину"));
    btnClose = button(this, "btnClose", QStringLiteral("Закрыть"));
    connect(btnRestore, &QPushButton::clicked, this, [this] { btnRestoreClick(btnRestore); });
    connect(btnErase, &QPushButton::clicked, this, [this] { btnEraseClick(btnErase); });
    connect(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(btnClear); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(btnClose); });
    connect(gridBin->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmBin::updateButtons);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnRestore);
    buttons->addWidget(btnErase);
    buttons->addWidget(btnClear);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(gridBin, 1);
    layout->addLayout(buttons);
}

void TfrmBin::bindData()
{
    // Other users' deletes and restores show while the window is open.
    connect(Dm, &TDm::tablesChanged, this, [this](const QStringList &tables) {
        if (isVisible() && (tables.isEmpty() || tables.contains(QStringLiteral("trail_bin"))))
            refreshList();
    });
}

void TfrmBin::showEvent(QShowEvent *event)
{
    ModalWindow::showEvent(event);
    FormShow();
}

void TfrmBin::FormShow()
{
    refreshList();
}

void TfrmBin::refreshList()
{
    QList<RecycleBin::Entry> entries;
    QString info;
    if (!Dm->hasTrail()) {
        info = QStringLiteral("Корзины в этом каталоге нет: он открыт только для чтения.");
    } else {
        try {
            entries = RecycleBin::entries(*Dm->ADOConnection);
            info = entries.isEmpty() ? QStringLiteral("Корзина пуста.")
                                     : QStringLiteral("Удалённое хранится %1 дней.").arg(RecycleBin::KeepDays);
        } catch (const DataError &e) {
            info = e.text().section(QLatin1Char('\n'), 0, 0);
        }
    }
    lblInfo->setText(info);
    m_model->setRows(std::move(entries));
    if (m_model->rowCount() > 0)
        gridBin->selectRow(0);
    updateButtons();
}

const QList<RecycleBin::Entry> &TfrmBin::entries() const
{
    return m_model->rows();
}

void TfrmBin::updateButtons()
{
    const bool writable = Dm->hasTrail() && !Dm->ADOConnection->isReadOnly();
    const bool any = !chosen().isEmpty();
    btnRestore->setEnabled(writable && any);
    btnErase->setEnabled(writable && any);
    btnClear->setEnabled(writable && !entries().isEmpty());
}

QList<qint64> TfrmBin::chosen() const
{
    QList<qint64> ids;
    for (const QModelIndex &index : gridBin->selectionModel()->selectedRows())
        if (index.row() < entries().size())
            ids << entries()[index.row()].id;
    return ids;
}

void TfrmBin::btnRestoreClick(QObject *)
{
    const QList<qint64> ids = chosen();
    if (ids.isEmpty())
        return;
    try {
        Dm->tablesWritten(RecycleBin::restore(*Dm->ADOConnection, ids, [this](const QString &question) {
            return seams().question(this, Caption, question);
        }));
    } catch (const DataError &e) {
        showStandardError(this, e.text());
    }
    refreshList();
}

void TfrmBin::btnEraseClick(QObject *)
{
    const QList<qint64> ids = chosen();
    if (ids.isEmpty() || !seams().question(this, Caption, QStringLiteral("Удалить выбранное навсегда?")))
        return;
    try {
        RecycleBin::erase(*Dm->ADOConnection, ids);
    } catch (const DataError &e) {
        showStandardError(this, e.text());
    }
    refreshList();
}

void TfrmBin::btnClearClick(QObject *)
{
    if (!seams().question(this, Caption, QStringLiteral("Очистить корзину? Всё, что в ней, будет удалено навсегда.")))
        return;
    try {
        RecycleBin::clear(*Dm->ADOConnection);
    } catch (const DataError &e) {
        showStandardError(this, e.text());
    }
    refreshList();
}

void TfrmBin::btnCloseClick(QObject *)
{
    close();
}
