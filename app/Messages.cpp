#include "app/Messages.h"

#include "app/Seams.h"

void showNotice(QWidget *parent, const QString &caption, const QString &text)
{
    seams().notice(parent, caption, text);
}

bool askDelete(QWidget *parent, const QString &question)
{
    return seams().question(parent, QStringLiteral("Удаление"), question);
}

void showStandardError(QWidget *parent, const QString &text)
{
    seams().errorBox(parent, text);
}
