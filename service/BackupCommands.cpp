// The service commands of the main window.

#include "service/BackupCommands.h"

#include "service/Unit_backups.h"

void showBackups()
{
    frmBackups->show();
    frmBackups->raise();
    frmBackups->activateWindow();
}
