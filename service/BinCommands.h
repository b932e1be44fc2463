#pragma once

// "Сервис" → "Корзина…": the bin window, brought to the front (not modal,
// so it may stay open beside the main window).
void showBin();

class QWidget;

// Ctrl+Z in the main window: what this user deleted last since the program
// started comes back through the bin (earlier ones with further presses),
// with a notice saying what it was.
void undoLastDelete(QWidget *parent);
