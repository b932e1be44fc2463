#include "app/Messages.h"

#include "app/Seams.h"
#include "data/dataset/Dataset.h"

QString programCaption()
{
    return QStringLiteral("Программа учета продаж программных проектов v1.0");
}

void showNotice(QWidget *parent, const QString &caption, const QString &text)
{
    seams().notice(parent, caption, text);
}

bool askDelete(QWidget *parent, const QString &question)
{
    return seams().question(parent, QStringLiteral("Удаление"), question);
}

bool askDeleteCurrent(QWidget *parent, Dataset *dataset, const QString &question)
{
    const QVariant key = dataset->currentKey();
    if (!askDelete(parent, question))
        return false;
    if (dataset->currentKey() == key)
        return true;
    showNotice(parent, QStringLiteral("Удаление"),
               QStringLiteral("Пока вы отвечали, запись удалил другой пользователь. Ничего не удалено."));
    return false;
}

void showStandardError(QWidget *parent, const QString &text)
{
    seams().errorBox(parent, text);
}
