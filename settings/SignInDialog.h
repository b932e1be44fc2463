#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The sign-in to a server catalogue whose server asks for a password: the
// server, the database and the user shown, the password typed, and whether
// the desktop's keyring is to keep it.
class SignInDialog : public QDialog
{
    Q_OBJECT
public:
    struct Target {
        QString server;   // host and port, or the socket's folder
        QString database;
        QString user;
    };
    // keyringProblem: why no password can be kept here; empty when it can.
    SignInDialog(const Target &target, const QString &keyringProblem, QWidget *parent = nullptr);

    QString password() const;
    bool remember() const;
    void setRemember(bool on);
    // Said above the password after a refused one; the field is emptied.
    void setRefusal(const QString &text);

    QLineEdit *editPassword;
    QCheckBox *checkRemember;
    QLabel *labelRefusal;
    QPushButton *btnSignIn;
    QPushButton *btnCancel;
};
