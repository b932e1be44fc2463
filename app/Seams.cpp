#include "app/Seams.h"

#include "app/DesktopKeyring.h"
#include "app/Messages.h"

#include <QDesktopServices>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>

namespace {

void realNotice(QWidget *parent, const QString &caption, const QString &text)
{
    hideProgressWindows();
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool realQuestion(QWidget *parent, const QString &caption, const QString &text)
{
    hideProgressWindows();
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void realErrorBox(QWidget *parent, const QString &text)
{
    hideProgressWindows();
    QMessageBox box(QMessageBox::Critical, programCaption(), text,
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

QString realSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                         const QString &defaultSuffix, bool askOverwrite)
{
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setObjectName(QStringLiteral("dlgSaveFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !askOverwrite);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

// An opener that fails later than this ran the mail program in the
// foreground and reports how that ended, not whether it started.
const int OpenerVerdictMs = 5000;

void realOpenUrl(const QUrl &url, std::function<void()> failed)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt starts the desktop's opener and never learns that it found no program.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        // No parent and no pipes: closing this program must not end the mail program.
        auto *process = new QProcess;
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        QObject::connect(process, &QProcess::finished, process,
                         [process, failed, clock](int code, QProcess::ExitStatus status) {
                             if ((status != QProcess::NormalExit || code != 0) && clock.elapsed() < OpenerVerdictMs)
                                 failed();
                             process->deleteLater();
                         });
        QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart) {
                failed();
                process->deleteLater();
            }
        });
        process->start(opener, {QString::fromLatin1(url.toEncoded())});
        return;
    }
#endif
    if (!QDesktopServices::openUrl(url))
        failed();
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
    s.saveFileName = realSaveFileName;
    s.existingDirectory = [](QWidget *parent, const QString &caption, const QString &dir) {
        return QFileDialog::getExistingDirectory(parent, caption, dir);
    };
    s.preview = realPreview;
    s.startProgram = realStartProgram;
    s.openUrl = realOpenUrl;
    s.modal = [](QDialog *dialog) { return dialog->exec(); };
    s.progress = progressDialog;
    s.screenWidth = realScreenWidth;
    s.keyring = desktopKeyring();
    s.userSettings = [] {
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("projectsales"),
                                           QStringLiteral("projectsales"));
    };
    return s;
}

Seams &seams()
{
    static Seams current = Seams::real();
    return current;
}
