#include "app/Seams.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>

namespace {

void realNotice(QWidget *parent, const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool realQuestion(QWidget *parent, const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void realErrorBox(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

void realPreview(QWidget *parent, const QString &title, std::function<void(QPrinter *)> render)
{
    QPrintPreviewDialog dialog(parent);
    dialog.setWindowTitle(title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&render](QPrinter *printer) { render(printer); });
    dialog.exec();
}

bool realStartProgram(const QString &program, const QString &parameters)
{
    return QProcess::startDetached(program, QProcess::splitCommand(parameters));
}

int realScreenWidth()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

} // namespace

Seams Seams::real()
{
    Seams s;
    s.notice = realNotice;
    s.question = realQuestion;
    s.errorBox = realErrorBox;
    s.openFileName = [](QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter) {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    };
    s.saveFileName = [](QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter) {
        // The export decides itself what happens to an existing page.
        return QFileDialog::getSaveFileName(parent, caption, dir, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    s.existingDirectory = [](QWidget *parent, const QString &caption, const QString &dir) {
        return QFileDialog::getExistingDirectory(parent, caption, dir);
    };
    s.preview = realPreview;
    s.startProgram = realStartProgram;
    s.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    s.progress = progressDialog;
    s.screenWidth = realScreenWidth;
    return s;
}

Seams &seams()
{
    static Seams current = Seams::real();
    return current;
}
