// The main window's handlers of the commands kept in the feature folders:
// each forwards to its command with the window as the parent of what it shows.

#include "main/Unit_tr.h"

#include "app/DBGrid.h"
#include "data/module/UnitDM.h"
#include "output/CatalogPrint.h"
#include "output/CsvCommands.h"
#include "output/HtmlExportCommand.h"
#include "output/PrintCommands.h"
#include "sales/SalesCommands.h"
#include "service/BackupCommands.h"
#include "service/BinCommands.h"
#include "service/HistoryCommands.h"
#include "settings/RepositoryLaunch.h"

void TfrmMain::mnuPayAddClick(QObject *) { SalesCommands::addSale(this); }
void TfrmMain::mnuPayEditClick(QObject *) { SalesCommands::editSale(this); }
void TfrmMain::mnuPayDelClick(QObject *) { SalesCommands::deleteSale(this); }
void TfrmMain::BitBtn1Click(QObject *sender) { mnuPayAddClick(sender); }
void TfrmMain::BitBtn3Click(QObject *sender) { mnuPayEditClick(sender); }
void TfrmMain::BitBtn2Click(QObject *sender) { mnuPayDelClick(sender); }
void TfrmMain::mnuSalesAnalysisClick(QObject *) { SalesCommands::showAnalysis(); }

void TfrmMain::mnuBackupsClick(QObject *) { showBackups(); }
void TfrmMain::mnuBinClick(QObject *) { showBin(); }
void TfrmMain::actUndoDeleteClick(QObject *) { undoLastDelete(this); }
void TfrmMain::mnuHistoryClick(QObject *) { showHistory(); }
void TfrmMain::popTovarHistoryClick(QObject *) { showProjectHistory(); }

void TfrmMain::gridAutoDblClick(QObject *) { launchRepositoryBrowser(this); }

void TfrmMain::mnuPrintSelectClick(QObject *) { printProjectSheet(this); }
void TfrmMain::mnuPrintCatalogClick(QObject *) { catalogPrint().print(); }
void TfrmMain::RvSystemBeforePrint(QObject *sender) { setCatalogueFont(sender); }

CataloguePrint &TfrmMain::catalogPrint()
{
    if (!m_catalogPrint)
        m_catalogPrint = std::make_unique<CataloguePrint>(
            Dm->tblProject, [this](QObject *canvas) { RvSystemBeforePrint(canvas); });
    return *m_catalogPrint;
}

void TfrmMain::mnuExportCatClick(QObject *) { exportHtmlCatalogue(this); }
void TfrmMain::mnuExportProjectsCsvClick(QObject *) { exportProjectsCsv(this, gridAuto->columns()); }
void TfrmMain::mnuExportOrdersCsvClick(QObject *) { exportSalesCsv(this); }
void TfrmMain::mnuImportProjectsCsvClick(QObject *)
{
    if (importCommands.projects)
        importCommands.projects(this);
}
void TfrmMain::mnuImportOrdersCsvClick(QObject *)
{
    if (importCommands.sales)
        importCommands.sales(this);
}
