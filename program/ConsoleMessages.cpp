#include "program/ConsoleMessages.h"

#include "app/Seams.h"

#include <QDialog>
#include <QTextStream>

void useConsoleMessages()
{
    seams().notice = [](QWidget *, const QString &caption, const QString &text) {
        QTextStream(stderr) << "notice: " << caption << ": " << text << Qt::endl;
    };
    seams().errorBox = [](QWidget *, const QString &text) {
        QTextStream(stderr) << "error: " << text << Qt::endl;
    };
    // A question is answered Yes; a dialog of the program's own is closed
    // unchanged (the list of a legacy file's refused rows: stop).
    seams().question = [](QWidget *, const QString &caption, const QString &text) {
        QTextStream(stderr) << "question: " << caption << ": " << text << Qt::endl;
        return true;
    };
    seams().modal = [](QDialog *dialog) {
        QTextStream(stderr) << "dialog: " << dialog->windowTitle() << Qt::endl;
        return int(QDialog::Rejected);
    };
}
