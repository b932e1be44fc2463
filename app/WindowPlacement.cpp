#include "app/WindowPlacement.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QVariant>

namespace {
const char PlacedProperty[] = "placedOnFirstShow";
}

QWidget *mainWindowWidget()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(w) && w->isVisible())
            return w;
    return nullptr;
}

void placeOnFirstShow(QWidget *window)
{
    if (window->property(PlacedProperty).toBool())
        return;
    window->setProperty(PlacedProperty, true);
    const QWidget *main = mainWindowWidget();
    QRect area;
    if (main && main != window)
        area = main->frameGeometry();
    else if (const QScreen *screen = window->screen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}
