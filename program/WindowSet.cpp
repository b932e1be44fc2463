#include "program/WindowSet.h"

#include "app/Messages.h"
#include "program/Application.h"
#include "data/core/DataError.h"
#include "data/module/UnitDM.h"
#include "app/ImageList.h"
#include "main/Unit_tr.h"
#include "output/SupportFolder.h"
#include "import/CsvImportCommand.h"
#include "import/LegacyQuestion.h"
#include "program/ConsoleMessages.h"
#include "program/LegacyStart.h"
#include "program/ServerSignIn.h"
#include "program/UserCatalogue.h"
#include "project/Unit_editTovars.h"
#include "reference/Unit_Category.h"
#include "reference/Unit_category_edit.h"
#include "reference/Unit_ide.h"
#include "reference/Unit_ide_edit.h"
#include "reference/Unit_year.h"
#include "reference/Unit_year_edit.h"
#include "sales/Unit_orders_edit.h"
#include "sales/Unit_sales_analysis.h"
#include "service/Unit_backups.h"
#include "service/Unit_bin.h"
#include "service/Unit_history.h"
#include "settings/Unit_about.h"
#include "settings/Unit_config.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>

namespace {

// The calls of one window into another that are not its own folder's.
void linkWindowSet()
{
    projectListFollow.categoryClick = [](QObject *sender) { frmMain->gridCatalogCellClick(sender); };
    projectListFollow.filterCategory = [] { frmMain->filterCategory(); };
    frmProjectEdit->setReferenceBooks(
        {frmMain->mnuCategory, frmMain->mnuEdIzm, [](QObject *sender) { frmMain->mnuCategoryClick(sender); },
         [](QObject *sender) { frmMain->mnuEdIzmClick(sender); }});
    frmMain->importCommands = {&importProjectsCsv, &importSalesCsv};
}

void bindWindowSet()
{
    frmMain->bindData();
    frmCategory->bindData();
    frmCatEdit->bindData();
    frmYear->bindData();
    frmYearEdit->bindData();
    frmProjectEdit->bindData();
    frmAbout->bindData();
    frmOption->bindData();
    frmOrdersEdit->bindData();
    frmIde->bindData();
    frmIdeEdit->bindData();
    frmSalesAnalysis->bindData();
    frmBackups->bindData();
    frmBin->bindData();
    frmHistory->bindData();
}

template <typename T> void destroy(T *&object)
{
    delete object;
    object = nullptr;
}

} // namespace

void createWindowSet(const QString &dbPath)
{
    initResources(); // every program that creates the window set gets the pictures
    QApplication::setWindowIcon(applicationIcon());
    frmMain = new TfrmMain;
    try {
        Dm = new TDm(dbPath);
    } catch (...) {
        destroyWindowSet();
        throw;
    }
    // The other windows belong to the main window, so they open over it.
    frmCategory = new TfrmCategory(frmMain);
    frmCatEdit = new TfrmCatEdit(frmMain);
    frmYear = new TfrmYear(frmMain);
    frmYearEdit = new TfrmYearEdit(frmMain);
    frmProjectEdit = new TfrmProjectEdit(frmMain);
    frmAbout = new TfrmAbout(frmMain);
    frmOption = new TfrmOption(frmMain);
    frmOrdersEdit = new TfrmOrdersEdit(frmMain);
    frmIde = new TfrmIde(frmMain);
    frmIdeEdit = new TfrmIdeEdit(frmMain);
    frmSalesAnalysis = new TfrmSalesAnalysis(frmMain);
    frmBackups = new TfrmBackups(frmMain);
    frmBin = new TfrmBin(frmMain);
    frmHistory = new TfrmHistory(frmMain);
    linkWindowSet();
    bindWindowSet();
}

void destroyWindowSet()
{
    // Windows first, so no bound control outlives the datasets it shows (a
    // copy still being made is cancelled, leaving no part behind).
    destroy(frmHistory);
    destroy(frmBin);
    destroy(frmBackups);
    destroy(frmSalesAnalysis);
    destroy(frmIdeEdit);
    destroy(frmIde);
    destroy(frmOrdersEdit);
    destroy(frmOption);
    destroy(frmAbout);
    destroy(frmProjectEdit);
    destroy(frmYearEdit);
    destroy(frmYear);
    destroy(frmCatEdit);
    destroy(frmCategory);
    projectListFollow = {};
    destroy(frmMain);
    destroy(Dm);
}

bool startWindowSet(const QString &dbPath)
{
    try {
        createWindowSet(dbPath);
        return true;
    } catch (const DataError &error) {
        showStandardError(nullptr, error.text());
    } catch (const std::exception &error) {
        showStandardError(nullptr, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

namespace {

// The database a start opens: db.mdb in the working directory, or the user's
// own catalogue. Empty when that could not be prepared (the error is shown).
QString databaseToOpen(const StartOptions &options, bool *created)
{
    if (!options.database.isEmpty())
        return options.database;
    if (!options.userCatalogue) {
        const QString configured = databaseFromIni();
        return configured.isEmpty() ? QStringLiteral("db.mdb") : configured;
    }
    try {
        const UserCatalogue catalogue = prepareUserCatalogue();
        *created = catalogue.created;
        return catalogue.path;
    } catch (const DataError &error) {
        showStandardError(nullptr, error.text());
    }
    return QString();
}

} // namespace

int runProgram(const StartOptions &options)
{
    if (options.smokeTest)
        useConsoleMessages();
    bool created = false;
    const QString dbPath = databaseToOpen(options, &created);
    if (dbPath.isEmpty())
        return 1;
    // A legacy Access file is converted (or refused) before the data module opens it.
    const LegacyStart legacy = convertLegacyCatalogue(dbPath);
    if (legacy.outcome == LegacyStart::Outcome::Ended)
        return legacy.exitCode;
    if (!signInToServer(dbPath) || !startWindowSet(dbPath))
        return 1;
    frmMain->show();
    if (legacy.outcome == LegacyStart::Outcome::Converted)
        QTimer::singleShot(0, frmMain, [legacy] { tellLegacyConverted(frmMain, legacy.keptAs, legacy.report); });
    if (created) // over the main window, once the loop runs
        QTimer::singleShot(0, frmMain, [dbPath] {
            showNotice(frmMain, QStringLiteral("Сообщение"), userCatalogueCreatedText(dbPath));
        });
    if (options.smokeTest) {
        QTextStream(stderr) << "support files: " << supportFolder() << Qt::endl;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    // The daily copy starts once the loop runs, so the window appears first.
    if (!options.smokeTest)
        QTimer::singleShot(0, frmBackups, &TfrmBackups::startAutomaticBackup);
    const int code = QApplication::exec();
    destroyWindowSet();
    return code;
}
