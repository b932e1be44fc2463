#pragma once

// "Сервис" → "Корзина…": the bin window, brought to the front (not modal,
// so it may stay open beside the main window).
void showBin();
