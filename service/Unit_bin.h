#pragma once

#include "app/WindowFrame.h"
#include "data/trail/RecycleBin.h"

#include <QList>

class QLabel;
class QPushButton;
class QTableView;
template <typename Row> class ListModel;

// "Корзина": what was deleted, newest first (what, when, by whom); the
// chosen entries put back or erased, or the whole bin emptied. It follows
// other users' deletes and restores while it is open.
class TfrmBin : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmBin(QWidget *parent = nullptr);
    void bindData();

    QLabel *lblInfo;
    QTableView *gridBin;
    QPushButton *btnRestore;
    QPushButton *btnErase;
    QPushButton *btnClear;
    QPushButton *btnClose;

    void FormShow();
    void btnRestoreClick(QObject *sender = nullptr);
    void btnEraseClick(QObject *sender = nullptr);
    void btnClearClick(QObject *sender = nullptr);
    void btnCloseClick(QObject *sender = nullptr);

    const QList<RecycleBin::Entry> &entries() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refreshList();
    void updateButtons();
    QList<qint64> chosen() const;

    using BinModel = ListModel<RecycleBin::Entry>;
    BinModel *m_model;
};

extern TfrmBin *frmBin;
