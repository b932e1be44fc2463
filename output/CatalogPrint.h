#pragma once

#include <QObject>
#include <QString>
#include <functional>

class Dataset;
class ReportConnection;
class ReportProject;
class ReportSystem;

// The components of the catalogue print: the report project file, the
// output system that shows its reports and the connection they read the
// listed projects through. The main window makes them with the first print
// and keeps them for the run.
class CataloguePrint : public QObject
{
    Q_OBJECT
public:
    // beforePrint gets each report's canvas before the report is produced.
    CataloguePrint(Dataset *projects, std::function<void(QObject *canvas)> beforePrint,
                   QObject *parent = nullptr);

    ReportProject *RvProject;
    ReportSystem *RvSystem;
    ReportConnection *rvConnectCatalog;

    // Every report of the project into the preview; the project is closed
    // again however the runs end.
    void print();
};

// Reports/Catalog.rav in the support folder.
QString catalogProjectFile();

// The catalogue's base font, set on a report's canvas before it is produced.
void setCatalogueFont(QObject *canvas);
