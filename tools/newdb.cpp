// projectsales-newdb PATH|URL [--demo]: creates a new database file for the
// program, or its tables in an empty server database, empty or with a demo
// catalogue.

#include "ConsoleText.h"
#include "DemoData.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

int create(const QString &path, bool demo)
{
    const bool server = Engine::isServerUrl(path);
    if (!server && (QFileInfo::exists(path) || QFileInfo(path).isSymLink()))
        return fail(QStringLiteral("%1 уже существует; он не будет перезаписан.").arg(path));
    try {
        Database::create(path);
    } catch (const DataError &e) {
        return fail(QStringLiteral("не удалось создать %1: %2").arg(path, e.text()));
    }
    if (demo) {
        try {
            fillDemoData(path);
        } catch (const DataError &e) {
            // A half-made file would only be refused by the next attempt;
            // on a server the demo rows were rolled back, the empty tables stay.
            if (!server)
                QFile::remove(path);
            return fail(QStringLiteral("не удалось заполнить %1 демонстрационными данными: %2").arg(path, e.text()));
        }
    }
    printLine((demo ? QStringLiteral("Создан каталог %1 с демонстрационными данными.")
                    : QStringLiteral("Создан пустой каталог %1."))
                  .arg(path));
    return Ok;
}

} // namespace

int main(int argc, char *argv[])
{
    // The demo screenshots need fonts, hence a GUI application, but no window
    // is ever shown, so no display is needed either.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    startConsoleTool(QStringLiteral("projectsales-newdb"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Создаёт новый файл каталога (такого файла ещё не должно быть) или таблицы\n"
                       "каталога в пустой базе данных PostgreSQL (postgresql://пользователь@сервер:порт/база)."));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Заполнить его демонстрационным каталогом и продажами."));
    parser.addOption(demo);
    parser.addPositionalArgument(QStringLiteral("ПУТЬ"), QStringLiteral("Создаваемый файл или адрес сервера."));
    const QStringList args = parseCommandLine(parser, app.arguments());
    if (args.size() != 1 || args.first().isEmpty())
        return fail(QStringLiteral("нужен один ПУТЬ.\n") + parser.helpText(), BadUsage);

    return create(args.first(), parser.isSet(demo));
}
