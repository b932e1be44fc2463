#include "ConsoleText.h"

#include "data/core/QtTranslation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdlib>

void startConsoleTool(const QString &name)
{
    QCoreApplication::setApplicationName(name);
    installQtRussian();
}

void printLine(const QString &text)
{
    QTextStream(stdout) << text << Qt::endl;
}

int fail(const QString &text, int code)
{
    QTextStream(stderr) << QCoreApplication::applicationName() << ": " << text << Qt::endl;
    return code;
}

QStringList parseCommandLine(QCommandLineParser &parser, const QStringList &arguments)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Показать эту справку."));
    parser.addOption(help);
    if (!parser.parse(arguments))
        std::exit(fail(parser.errorText() + QLatin1Char('\n') + parser.helpText(), BadUsage));
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        std::exit(Ok);
    }
    return parser.positionalArguments();
}
