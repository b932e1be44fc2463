#pragma once

#include <QString>

class ReportConnection;
class ReportProject;
class ReportSystem;
class TfrmMain;

// The main window's components of the catalogue print, made with their first use.
struct CatalogComponents {
    ReportProject *RvProject;
    ReportSystem *RvSystem;
    ReportConnection *rvConnectCatalog;
};

CatalogComponents catalogComponents(TfrmMain *window);

// Reports/Catalog.rav in the support folder.
QString catalogProjectFile();
