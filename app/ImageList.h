#pragma once

#include <QIcon>

// The one list of 16 by 16 pictures shared by the menus and tool bars, by
// index: 0 categories, 2 development years, 3 print, 4 add, 5 edit,
// 6 delete, 7 sales, 8 about, 9 IDE versions. Index 1 is not used and gives
// an empty icon, as does any index outside the list.
QIcon imageListIcon(int index);

// The application's own icon.
QIcon applicationIcon();
