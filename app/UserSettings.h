#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QVariantMap>

class DBGrid;
class QWidget;

// What the program remembers for the user between runs, through the
// settings seam: where a window was and how wide a grid's columns were.
// Windows are told apart by their objectName.

// The frame moved (and shrunk where it is larger) into the screen area it
// overlaps most, or the first area when it overlaps none, so that a window
// is never brought back where no screen shows it.
QRect placeOnScreens(const QRect &frame, const QList<QRect> &areas);

// Where the window is, and whether it is maximized.
void rememberPlace(const QWidget *window);
// Puts the window back where it was remembered, on today's screens; false
// when nothing was remembered.
bool restorePlace(QWidget *window);

void rememberColumnWidths(const QWidget *window, const DBGrid *grid);
// Gives the grid's columns their remembered widths, when the grid still has
// as many columns as were remembered.
void restoreColumnWidths(const QWidget *window, DBGrid *grid);

// A window's last choices (a period, a category), by name; empty when none
// were remembered.
void rememberChoices(const QWidget *window, const QVariantMap &choices);
QVariantMap rememberedChoices(const QWidget *window);
