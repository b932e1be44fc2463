#include "program/Application.h"

#include "app/Messages.h"
#include "data/core/DataError.h"

#include <QLibraryInfo>
#include <QTranslator>
#include <exception>

namespace {

// Qt's own texts (standard buttons, file dialogs) in Russian, whatever the
// locale, as on a Russian desktop. Without the file they stay in English.
void loadQtTranslation(QApplication *app)
{
    auto *translator = new QTranslator(app);
    const QString name = QStringLiteral("qtbase_ru");
    if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || translator->load(name, QCoreApplication::applicationDirPath() + QStringLiteral("/translations")))
        QCoreApplication::installTranslator(translator);
}

} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    loadQtTranslation(this);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    // Exceptions must not cross the event loop: show the error and go on.
    try {
        return QApplication::notify(receiver, event);
    } catch (const DataError &e) {
        showStandardError(activeWindow(), e.text());
    } catch (const std::exception &e) {
        showStandardError(activeWindow(), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showStandardError(activeWindow(), QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

// The pictures are compiled into the static library, whose own registration
// the linker would drop: a program registers them here.
void initResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}
