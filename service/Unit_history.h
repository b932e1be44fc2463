#pragma once

#include "app/WindowFrame.h"
#include "data/trail/History.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
template <typename Row> class ListModel;

// "История изменений": who changed what and when, newest first; of one
// project (its sales included) or of the whole catalogue, filtered by user,
// period, table and text. It follows other users' changes while open.
class TfrmHistory : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmHistory(QWidget *parent = nullptr);
    void bindData();

    QLabel *lblInfo;
    QComboBox *cmbUser;
    QCheckBox *chkPeriod;
    QDateEdit *dtFrom;
    QDateEdit *dtTo;
    QComboBox *cmbTable;
    QLineEdit *editText;
    QTableView *gridHistory;
    QPushButton *btnClose;

    // The history of one project with its sales, or (0) of everything with
    // the filters.
    void showFor(qint64 projectId, const QString &projectName = QString());
    void btnCloseClick(QObject *sender = nullptr);

    const QList<History::Change> &changes() const;

private:
    void refreshList();
    void refreshUsers();
    History::Filter filter() const;

    qint64 m_projectId = 0;
    using HistoryModel = ListModel<History::Change>;
    HistoryModel *m_model;
    QTimer *m_typing;
};

extern TfrmHistory *frmHistory;
