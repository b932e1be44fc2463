#pragma once

class QWidget;

// The program's main window: the first visible top-level main window; null
// before one is shown.
QWidget *mainWindowWidget();
// Places a window the first time it is shown: centred on the main window
// (on the screen when there is none). Later showings keep where it was left.
void placeOnFirstShow(QWidget *window);
