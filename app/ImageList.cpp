#include "app/ImageList.h"

#include <QHash>

QIcon imageListIcon(int index)
{
    static const QHash<int, QString> files = {
        {0, QStringLiteral(":/icons/00-categories.png")},
        {2, QStringLiteral(":/icons/02-years.png")},
        {3, QStringLiteral(":/icons/03-print.png")},
        {4, QStringLiteral(":/icons/04-add.png")},
        {5, QStringLiteral(":/icons/05-edit.png")},
        {6, QStringLiteral(":/icons/06-delete.png")},
        {7, QStringLiteral(":/icons/07-sales.png")},
        {8, QStringLiteral(":/icons/08-about.png")},
        {9, QStringLiteral(":/icons/09-ide.png")},
    };
    const QString file = files.value(index);
    return file.isEmpty() ? QIcon() : QIcon(file);
}

QIcon applicationIcon()
{
    QIcon icon(QStringLiteral(":/icons/app-16.png"));
    icon.addFile(QStringLiteral(":/icons/app-32.png"));
    return icon;
}
