#pragma once

#include "app/EditDialog.h"
#include "data/dataset/Dataset.h"

class DBEdit;
class QLabel;
class QPushButton;

// The settings dialog: the repository address and the browser's location,
// the first row of the table configs.
class TfrmOption : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmOption(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();

    static const QString DefaultIp;
    static const QString DefaultBrowser;

    QLabel *Label3;
    QLabel *Label2;
    DBEdit *DBEdit1;
    QLabel *Label1;
    DBEdit *editIP;
    QPushButton *BitBtn1; // "Сохранить и закрыть"
    QPushButton *BitBtn2; // "Закрыть"

    void FormShow();
    void BitBtn1Click(QObject *sender = nullptr);
    void BitBtn2Click(QObject *sender = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void FormClose() override;

private:
    void storeDefaultsOnce();
};

extern TfrmOption *frmOption;
