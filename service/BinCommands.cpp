#include "service/BinCommands.h"

#include "service/Unit_bin.h"

void showBin()
{
    frmBin->show();
    frmBin->raise();
    frmBin->activateWindow();
}
