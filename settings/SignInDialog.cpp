#include "settings/SignInDialog.h"

#include "app/WindowFrame.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *shown(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

SignInDialog::SignInDialog(const Target &target, const QString &keyringProblem, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgSignIn"));
    setWindowTitle(QStringLiteral("Вход на сервер базы данных"));
    setFont(programFont());

    editPassword = new QLineEdit(this);
    editPassword->setObjectName(QStringLiteral("editPassword"));
    editPassword->setEchoMode(QLineEdit::Password);
    editPassword->setMinimumWidth(260);
    checkRemember = new QCheckBox(QStringLiteral("Запомнить пароль"), this);
    checkRemember->setObjectName(QStringLiteral("checkRemember"));
    if (!keyringProblem.isEmpty()) {
        checkRemember->setEnabled(false);
        checkRemember->setToolTip(keyringProblem);
    } else {
        checkRemember->setToolTip(QStringLiteral("Пароль будет храниться в связке ключей рабочего стола."));
    }
    labelRefusal = new QLabel(this);
    labelRefusal->setObjectName(QStringLiteral("labelRefusal"));
    labelRefusal->setStyleSheet(QStringLiteral("color: #b00020"));
    labelRefusal->setWordWrap(true);
    labelRefusal->hide();

    auto *intro = new QLabel(QStringLiteral("Сервер просит пароль для входа в каталог."), this);
    intro->setObjectName(QStringLiteral("labelIntro"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Сервер:"), shown(this, "labelServer", target.server));
    form->addRow(QStringLiteral("База данных:"), shown(this, "labelDatabase", target.database));
    form->addRow(QStringLiteral("Пользователь:"), shown(this, "labelUser", target.user));
    auto *passwordLabel = new QLabel(QStringLiteral("&Пароль:"), this);
    passwordLabel->setBuddy(editPassword);
    form->addRow(passwordLabel, editPassword);
    form->addRow(QString(), checkRemember);

    btnSignIn = new QPushButton(QStringLiteral("Войти"), this);
    btnSignIn->setObjectName(QStringLiteral("btnSignIn"));
    btnSignIn->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnSignIn, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSignIn);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(labelRefusal);
    layout->addLayout(form);
    layout->addLayout(buttons);
    editPassword->setFocus();
}

QString SignInDialog::password() const
{
    return editPassword->text();
}

bool SignInDialog::remember() const
{
    return checkRemember->isEnabled() && checkRemember->isChecked();
}

void SignInDialog::setRemember(bool on)
{
    checkRemember->setChecked(on && checkRemember->isEnabled());
}

void SignInDialog::setRefusal(const QString &text)
{
    labelRefusal->setText(text);
    labelRefusal->setVisible(!text.isEmpty());
    editPassword->clear();
    editPassword->setFocus();
}
