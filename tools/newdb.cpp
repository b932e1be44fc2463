// projectsales-newdb PATH|URL [--demo]: creates a new database file for the
// program, or its tables in an empty server database, empty or with a demo
// catalogue.

#include "DemoData.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

namespace {

enum ExitCode { Ok = 0, Failed = 1, BadUsage = 2 };

int fail(const QString &text, int code = Failed)
{
    QTextStream(stderr) << QCoreApplication::applicationName() << ": " << text << Qt::endl;
    return code;
}

int create(const QString &path, bool demo)
{
    const bool server = Engine::isServerUrl(path);
    if (!server && (QFileInfo::exists(path) || QFileInfo(path).isSymLink()))
        return fail(QStringLiteral("%1 already exists; refusing to overwrite it.").arg(path));
    try {
        Database::create(path);
    } catch (const DataError &e) {
        return fail(QStringLiteral("cannot create %1: %2").arg(path, e.text()));
    }
    if (demo) {
        try {
            fillDemoData(path);
        } catch (const DataError &e) {
            // A half-made file would only be refused by the next attempt;
            // on a server the demo rows were rolled back, the empty tables stay.
            if (!server)
                QFile::remove(path);
            return fail(QStringLiteral("cannot fill %1 with demo data: %2").arg(path, e.text()));
        }
    }
    QTextStream(stdout) << "Created " << path << (demo ? " with demo data" : "") << Qt::endl;
    return Ok;
}

} // namespace

int main(int argc, char *argv[])
{
    // The demo screenshots need fonts, hence a GUI application, but no window
    // is ever shown, so no display is needed either.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("projectsales-newdb"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates a new projectsales database file (it must not exist yet), or the\n"
                       "tables in an empty PostgreSQL database (postgresql://user@host:port/dbname)."));
    parser.addHelpOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Fill it with a demo catalogue and sales."));
    parser.addOption(demo);
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The file to create, or a server URL."));

    if (!parser.parse(app.arguments()))
        return fail(parser.errorText() + QLatin1Char('\n') + parser.helpText(), BadUsage);
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Ok);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1 || args.first().isEmpty())
        return fail(QStringLiteral("expected one PATH.\n") + parser.helpText(), BadUsage);

    return create(args.first(), parser.isSet(demo));
}
