// The sales commands of the main window: the menu items and the buttons of
// the frame "Продажи".

#include "main/Unit_tr.h"

void TfrmMain::mnuPayAddClick(QObject *)
{
    // Built with the sales commands.
}

void TfrmMain::mnuPayEditClick(QObject *)
{
    // Built with the sales commands.
}

void TfrmMain::mnuPayDelClick(QObject *)
{
    // Built with the sales commands.
}

void TfrmMain::BitBtn1Click(QObject *)
{
    // Built with the sales commands.
}

void TfrmMain::BitBtn3Click(QObject *)
{
    // Built with the sales commands.
}

void TfrmMain::BitBtn2Click(QObject *)
{
    // Built with the sales commands.
}
