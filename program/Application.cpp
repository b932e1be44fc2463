#include "program/Application.h"

#include "app/Messages.h"
#include "data/core/DataError.h"
#include "data/core/QtTranslation.h"

#include <exception>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    installQtRussian();
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
