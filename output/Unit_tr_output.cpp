// The print commands of the main window: the project sheet and the catalogue
// of the listed projects.

#include "main/Unit_tr.h"

#include "app/Seams.h"
#include "data/UnitDM.h"
#include "output/CatalogPrint.h"
#include "output/ReportConnection.h"
#include "output/ReportProject.h"
#include "output/ReportSystem.h"
#include "output/SupportFolder.h"
#include "output/Unit_report_selected.h"

#include <QDir>
#include <QPrinter>
#include <memory>

QString catalogProjectFile()
{
    return QDir(supportFolder()).filePath(QStringLiteral("Reports/Catalog.rav"));
}

CatalogComponents catalogComponents(TfrmMain *window)
{
    const auto only = Qt::FindDirectChildrenOnly;
    if (auto *project = window->findChild<ReportProject *>(QStringLiteral("RvProject"), only))
        return {project, window->findChild<ReportSystem *>(QStringLiteral("RvSystem"), only),
                window->findChild<ReportConnection *>(QStringLiteral("rvConnectCatalog"), only)};

    auto *connection = new ReportConnection(QStringLiteral("rvConnectCatalog"), window);
    connection->setDataSet(Dm->tblProject);

    auto *system = new ReportSystem(QStringLiteral("RvSystem"), window);
    system->titleStatus = QStringLiteral("Report Status");
    system->titlePreview = QStringLiteral("Report Preview");
    system->statusFormat = QStringLiteral("Generating page %p");
    system->statusPrintFormat = QStringLiteral("Printing page %p");
    system->previewZoom = 100;
    system->showStatus = true;
    QObject::connect(system, &ReportSystem::beforePrint, window,
                     [window](QObject *canvas) { window->RvSystemBeforePrint(canvas); });

    auto *project = new ReportProject(QStringLiteral("RvProject"), window);
    project->projectFile = catalogProjectFile();
    project->engine = system;
    project->addConnection(connection);
    return {project, system, connection};
}

void TfrmMain::mnuPrintSelectClick(QObject *)
{
    if (Dm->tblProject->recNo() < 0) // an empty list, or a new row being inserted
        return;
    const QString projectId = Dm->tblProjectproject_id->asString();
    for (QueryDataset *query : {Dm->sqlProjectRep, Dm->sqlOrdersRep}) {
        query->close();
        query->params().set(QStringLiteral("project_id"), projectId);
        query->open();
    }
    if (Dm->sqlProjectRep->isEmpty())
        return;
    auto form = std::make_unique<TfrmRepSelect>();
    TfrmRepSelect *report = form.get();
    seams().preview(this, QStringLiteral("Предварительный просмотр"), [report](QPrinter *printer) {
        printReport(report->repSelect, report->font(), printer);
    });
}

void TfrmMain::mnuPrintCatalogClick(QObject *)
{
    const CatalogComponents c = catalogComponents(this);
    QStringList reportList;
    c.RvSystem->doNativeOutput = true;
    c.RvSystem->defaultDest = ReportSystem::Destination::Preview;
    c.RvSystem->systemSetups = false;
    // The project is closed however the runs end.
    struct Closer {
        ReportProject *project;
        ~Closer() { project->close(); }
    } closer{c.RvProject};
    c.RvProject->open();
    reportList = c.RvProject->reportNames();
    for (const QString &name : reportList) {
        c.RvProject->selectReport(name);
        c.RvProject->execute();
    }
}

void TfrmMain::RvSystemBeforePrint(QObject *sender)
{
    auto *canvas = qobject_cast<ReportCanvas *>(sender);
    if (!canvas)
        return;
    // Texts are Unicode here, so the Cyrillic character set needs no setting of its own.
    QFont font(QStringLiteral("MS SansSerif"));
    font.setPointSize(14);
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    canvas->baseFont = font;
}
