#pragma once

#include "output/BandedReport.h"

#include <QString>
#include <vector>

// One report of a report project file, and the data connection it reads.
struct ReportDefinition {
    BandedReport report;
    QString connection; // empty: the report reads no rows
};

// Reads a report project file (the format is described in docs/report-project.md).
// Throws ReportError: a missing file names its full path; a file that does not
// read names the line and what was expected there.
std::vector<ReportDefinition> readReportProject(const QString &path);
std::vector<ReportDefinition> parseReportProject(const QString &text, const QString &fileName);
