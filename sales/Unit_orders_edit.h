#pragma once

#include "app/EditDialog.h"
#include "data/dataset/Dataset.h"

class DBEdit;
class QPushButton;

// The sale editor: the date, sum and comment of the pending row of tblOrders.
class TfrmOrdersEdit : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmOrdersEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();

    DBEdit *DBEdit1; // date_orders
    DBEdit *DBEdit2; // summ
    DBEdit *DBEdit3; // comments
    QPushButton *BitBtn1; // "Сохранить и закрыть", Enter
    QPushButton *BitBtn2; // "Закрыть", Esc

    void BitBtn1Click(QObject *sender = nullptr);
    void BitBtn2Click(QObject *sender = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool hasChanges() const;
};

extern TfrmOrdersEdit *frmOrdersEdit;
