// The HTML export command of the main window.

#include "main/Unit_tr.h"

void TfrmMain::mnuExportCatClick(QObject *)
{
    // Built with the export command.
}
