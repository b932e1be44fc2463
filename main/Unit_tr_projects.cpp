// The project commands: add, add as a copy, edit and delete the current
// project. The pop-up menu of the project grid only repeats them.

#include "main/Unit_tr.h"

void TfrmMain::mnuAddClick(QObject *)
{
    // Built with the project commands.
}

void TfrmMain::mnuProjectCopyClick(QObject *)
{
    // Built with the project commands.
}

void TfrmMain::mnuEditClick(QObject *)
{
    // Built with the project commands.
}

void TfrmMain::mnuDeleteClick(QObject *)
{
    // Built with the project commands.
}

void TfrmMain::popTovarAddClick(QObject *sender) { mnuAddClick(sender); }
void TfrmMain::popProjectCopyClick(QObject *sender) { mnuProjectCopyClick(sender); }
void TfrmMain::popTovarEditClick(QObject *sender) { mnuEditClick(sender); }
void TfrmMain::popTovarDeleteClick(QObject *sender) { mnuDeleteClick(sender); }
