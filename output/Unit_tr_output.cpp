// The print commands of the main window.

#include "main/Unit_tr.h"

void TfrmMain::mnuPrintSelectClick(QObject *)
{
    // Built with the output commands.
}

void TfrmMain::mnuPrintCatalogClick(QObject *)
{
    // Built with the output commands.
}

void TfrmMain::RvSystemBeforePrint(QObject *)
{
    // Built with the output commands.
}
