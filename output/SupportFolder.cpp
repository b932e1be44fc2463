#include "output/SupportFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef SUPPORT_FOLDER_FROM_PROGRAM
#error "SUPPORT_FOLDER_FROM_PROGRAM comes from the install rules (packaging/Install.cmake)"
#endif

QString supportFolder()
{
    const QDir program(QCoreApplication::applicationDirPath());
    if (program.exists(QStringLiteral("Data")) || program.exists(QStringLiteral("Reports")))
        return program.path();
    // Relative, so an installation moved elsewhere (or unpacked anywhere) still finds it.
    const QString installed = QDir::cleanPath(program.filePath(QStringLiteral(SUPPORT_FOLDER_FROM_PROGRAM)));
    return QFileInfo(installed).isDir() ? installed : program.path();
}
