#include "program/StartOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSettings>

StartOptions readStartOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Catalogue of software projects and their sales. Without options it opens the "
        "catalogue that projectsales.ini ([database] url=) names, else db.mdb in the "
        "working directory."));
    parser.addHelpOption();
    const QCommandLineOption userCatalogue(
        QStringLiteral("user-catalogue"),
        QStringLiteral("Open your own catalogue in the per-user data folder; "
                       "the first such start creates it."));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("Open this catalogue: a database file, or a PostgreSQL database "
                       "postgresql://user@host:port/dbname."),
        QStringLiteral("URL"));
    QCommandLineOption smokeTest(
        QStringLiteral("smoke-test"),
        QStringLiteral("Print messages to standard error and exit once the main window is shown."));
    smokeTest.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(userCatalogue);
    parser.addOption(database);
    parser.addOption(smokeTest);
    parser.process(arguments);

    StartOptions options;
    options.userCatalogue = parser.isSet(userCatalogue);
    options.smokeTest = parser.isSet(smokeTest);
    options.database = parser.value(database);
    return options;
}

QString databaseFromIni()
{
    const QString ini = QStringLiteral("projectsales.ini");
    if (!QFileInfo::exists(ini))
        return {};
    // QSettings reads a value with commas as a list: join it back.
    return QSettings(ini, QSettings::IniFormat)
        .value(QStringLiteral("database/url"))
        .toStringList()
        .join(QLatin1Char(','))
        .trimmed();
}
