#include "program/StartOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

StartOptions readStartOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Catalogue of software projects and their sales. Without options it opens "
        "db.mdb in the working directory."));
    parser.addHelpOption();
    const QCommandLineOption userCatalogue(
        QStringLiteral("user-catalogue"),
        QStringLiteral("Open your own catalogue in the per-user data folder; "
                       "the first such start creates it."));
    QCommandLineOption smokeTest(
        QStringLiteral("smoke-test"),
        QStringLiteral("Print messages to standard error and exit once the main window is shown."));
    smokeTest.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(userCatalogue);
    parser.addOption(smokeTest);
    parser.process(app);

    StartOptions options;
    options.userCatalogue = parser.isSet(userCatalogue);
    options.smokeTest = parser.isSet(smokeTest);
    return options;
}
