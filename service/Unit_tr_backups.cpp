// The service commands of the main window.

#include "main/Unit_tr.h"

#include "service/Unit_backups.h"

void TfrmMain::mnuBackupsClick(QObject *)
{
    frmBackups->show();
    frmBackups->raise();
    frmBackups->activateWindow();
}
