#include "program/ConsoleMessages.h"

#include "app/Seams.h"

#include <QTextStream>

void useConsoleMessages()
{
    seams().notice = [](QWidget *, const QString &caption, const QString &text) {
        QTextStream(stderr) << "notice: " << caption << ": " << text << Qt::endl;
    };
    seams().errorBox = [](QWidget *, const QString &text) {
        QTextStream(stderr) << "error: " << text << Qt::endl;
    };
}
