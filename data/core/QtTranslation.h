#pragma once

// Qt's own texts (standard buttons, file dialogs, the command line's help)
// in Russian, whatever the locale, as the program's own texts are. Without
// Qt's translation file they stay in English.
void installQtRussian();
