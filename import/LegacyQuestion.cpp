#include "import/LegacyQuestion.h"

#include "app/Messages.h"
#include "app/Seams.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString legacyCaption()
{
    return QStringLiteral("Перенос старой базы");
}

QString legacyProgressText(const QString &file)
{
    return QStringLiteral("Перенос базы «%1» в формат программы…").arg(QFileInfo(file).fileName());
}

bool askLegacyConversion(QWidget *parent, const QString &file, const QString &keptAs)
{
    const QString text =
        QStringLiteral("Файл «%1» — база данных Access 2000–2003 (Jet 4), в которой каталог хранила прежняя "
                       "версия программы.\n\n"
                       "Перенести каталог в формат программы? Проекты, продажи, справочники и настройки будут "
                       "перенесены целиком. Исходный файл не изменится: он будет сохранён в той же папке как "
                       "«%2».\n\n"
                       "«Нет» — программа закроется, ничего не меняя.")
            .arg(shown(file), QFileInfo(keptAs).fileName());
    return seams().question(parent, legacyCaption(), text);
}

void tellLegacyConverted(QWidget *parent, const QString &keptAs, const QString &report)
{
    QString text = QStringLiteral("Каталог перенесён в формат программы. Старая база сохранена как «%1».")
                       .arg(shown(keptAs));
    if (!report.isEmpty())
        text += QStringLiteral("\n\nИсправления и замечания переноса записаны в файл «%1».").arg(shown(report));
    showNotice(parent, legacyCaption(), text);
}
