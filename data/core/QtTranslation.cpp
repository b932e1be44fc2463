#include "data/core/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

void installQtRussian()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString name = QStringLiteral("qtbase_ru");
    if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || translator->load(name, QCoreApplication::applicationDirPath() + QStringLiteral("/translations")))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
