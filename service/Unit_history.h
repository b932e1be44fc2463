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
class HistoryModel;
class UsersBox;

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

    // The entries read so far, as shown.
    const QList<History::Change> &changes() const;
    // Entries read from the catalogue since the list was last read whole.
    qint64 rowsRead() const;
    void setPageSize(int rows);

private:
    void refreshList();
    void followList();
    void showInfo();
    void readUsers();
    History::Filter filter() const;

    qint64 m_projectId = 0;
    HistoryModel *m_model;
    UsersBox *m_users;
    QTimer *m_typing;
};

extern TfrmHistory *frmHistory;
