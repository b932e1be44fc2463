#include "program/UserCatalogue.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

UserCatalogue prepareUserCatalogue()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        throw DataError(QStringLiteral("Не удалось создать папку данных пользователя «%1».")
                            .arg(QDir::toNativeSeparators(folder)));
    UserCatalogue catalogue;
    catalogue.path = QDir(folder).filePath(QStringLiteral("db.mdb"));
    // A dangling link counts as present: creating through it would write elsewhere.
    if (!QFileInfo::exists(catalogue.path) && !QFileInfo(catalogue.path).isSymLink()) {
        Database::create(catalogue.path);
        catalogue.created = true;
    }
    return catalogue;
}

QString userCatalogueCreatedText(const QString &path)
{
    return QStringLiteral("Создан новый пустой каталог:\n%1\n\n"
                          "Заполните справочники (меню «Справочники») и добавляйте проекты. "
                          "При запуске из меню программа открывает этот каталог.")
        .arg(QDir::toNativeSeparators(path));
}
