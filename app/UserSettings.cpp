#include "app/UserSettings.h"

#include "app/DBGrid.h"
#include "app/Seams.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {

QString placeKey(const QWidget *window, const char *what)
{
    return QStringLiteral("windows/%1/%2").arg(window->objectName(), QLatin1String(what));
}

QString columnsKey(const QWidget *window, const DBGrid *grid)
{
    return QStringLiteral("columns/%1/%2").arg(window->objectName(), grid->objectName());
}

QList<QRect> screenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

} // namespace

QRect placeOnScreens(const QRect &frame, const QList<QRect> &areas)
{
    if (areas.isEmpty())
        return frame;
    QRect area = areas.first();
    qint64 best = 0;
    for (const QRect &a : areas) {
        const QRect common = a.intersected(frame);
        const qint64 overlap = qint64(common.width()) * common.height();
        if (overlap > best) {
            best = overlap;
            area = a;
        }
    }
    QRect placed(frame.topLeft(), frame.size().boundedTo(area.size()));
    placed.moveLeft(qBound(area.left(), placed.left(), area.right() - placed.width() + 1));
    placed.moveTop(qBound(area.top(), placed.top(), area.bottom() - placed.height() + 1));
    return placed;
}

void rememberPlace(const QWidget *window)
{
    const auto settings = seams().userSettings();
    const bool maximized = window->isMaximized();
    // A maximized window comes back maximized, and unmaximizes to where it was.
    const QRect normal = maximized ? window->normalGeometry() : window->geometry();
    const QPoint framePos = maximized ? normal.topLeft() : window->pos();
    settings->setValue(placeKey(window, "place"), QRect(framePos, normal.size()));
    settings->setValue(placeKey(window, "maximized"), maximized);
}

bool restorePlace(QWidget *window)
{
    const auto settings = seams().userSettings();
    const QRect place = settings->value(placeKey(window, "place")).toRect();
    if (!place.isValid())
        return false;
    // The frame's top-left and the client size, no smaller than the window
    // can be: the title bar counts as in sight.
    const QSize least = window->minimumSize().expandedTo(window->minimumSizeHint());
    const QRect placed = placeOnScreens(QRect(place.topLeft(), place.size().expandedTo(least)), screenAreas());
    window->resize(placed.size());
    window->move(placed.topLeft());
    if (settings->value(placeKey(window, "maximized")).toBool())
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    return true;
}

void rememberColumnWidths(const QWidget *window, const DBGrid *grid)
{
    QList<QVariant> widths;
    for (int c = 0; c < grid->columns().size(); ++c)
        widths << grid->columnWidth(c);
    seams().userSettings()->setValue(columnsKey(window, grid), widths);
}

void restoreColumnWidths(const QWidget *window, DBGrid *grid)
{
    const QList<QVariant> widths = seams().userSettings()->value(columnsKey(window, grid)).toList();
    QList<GridColumn> columns = grid->columns();
    if (widths.size() != columns.size())
        return;
    for (int c = 0; c < columns.size(); ++c)
        if (const int width = widths[c].toInt(); width > 0)
            columns[c].width = width;
    grid->setColumns(columns);
}

void rememberChoices(const QWidget *window, const QVariantMap &choices)
{
    seams().userSettings()->setValue(placeKey(window, "choices"), choices);
}

QVariantMap rememberedChoices(const QWidget *window)
{
    return seams().userSettings()->value(placeKey(window, "choices")).toMap();
}
