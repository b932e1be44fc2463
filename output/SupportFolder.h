#pragma once

#include <QString>

// The folder that holds the support files Data/ (the HTML export's style
// sheets and scripts) and Reports/ (the catalogue's report project): beside
// the program in a build folder, else the installed share folder found from
// the program's own location. Never the working directory.
QString supportFolder();
