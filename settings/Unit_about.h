#pragma once

#include "app/WindowFrame.h"

class QLabel;
class QPushButton;

// The about window: the program, its author and the author's address, which
// opens the mail program when clicked.
class TfrmAbout : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    // The window shows no data; kept for the window set's binding step.
    void bindData();

    static const QString ContactAddress;

    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label5;
    QLabel *Label2;
    QLabel *lblEmail;
    QLabel *Label3;
    QPushButton *btnClose;

    void btnCloseClick(QObject *sender = nullptr);
    void lblEmailClick(QObject *sender = nullptr);
    void lblEmailMouseMove(QObject *sender = nullptr);
    void FormMouseMove(QObject *sender = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setAddressPointSize(int points);
};

extern TfrmAbout *frmAbout;
