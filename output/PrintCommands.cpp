// The print commands of the main window: the project sheet and the catalogue
// of the listed projects.

#include "output/PrintCommands.h"

#include "output/CatalogPrint.h"

#include "app/Seams.h"
#include "data/module/UnitDM.h"
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

CataloguePrint::CataloguePrint(Dataset *projects, std::function<void(QObject *)> beforePrint, QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("cataloguePrint"));
    rvConnectCatalog = new ReportConnection(QStringLiteral("rvConnectCatalog"), this);
    rvConnectCatalog->setDataSet(projects);

    RvSystem = new ReportSystem(QStringLiteral("RvSystem"), this);
    RvSystem->titleStatus = QStringLiteral("Report Status");
    RvSystem->titlePreview = QStringLiteral("Report Preview");
    RvSystem->statusFormat = QStringLiteral("Generating page %p");
    RvSystem->statusPrintFormat = QStringLiteral("Printing page %p");
    RvSystem->previewZoom = 100;
    RvSystem->showStatus = true;
    connect(RvSystem, &ReportSystem::beforePrint, this, std::move(beforePrint));

    RvProject = new ReportProject(QStringLiteral("RvProject"), this);
    RvProject->projectFile = catalogProjectFile();
    RvProject->engine = RvSystem;
    RvProject->addConnection(rvConnectCatalog);
}

void CataloguePrint::print()
{
    RvSystem->doNativeOutput = true;
    RvSystem->defaultDest = ReportSystem::Destination::Preview;
    RvSystem->systemSetups = false;
    // The project is closed however the runs end.
    struct Closer {
        ReportProject *project;
        ~Closer() { project->close(); }
    } closer{RvProject};
    RvProject->open();
    const QStringList reportList = RvProject->reportNames();
    for (const QString &name : reportList) {
        RvProject->selectReport(name);
        RvProject->execute();
    }
}

void setCatalogueFont(QObject *sender)
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

void printProjectSheet(QWidget *parent)
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
    seams().preview(parent, QStringLiteral("Предварительный просмотр"), [report](QPrinter *printer) {
        printReport(report->repSelect, report->font(), printer);
    });
}
