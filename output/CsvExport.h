#pragma once

#include "app/GridColumn.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The project list and its sales as CSV files that a spreadsheet with Russian
// settings opens without asking: UTF-8 with a byte-order mark, ";" between
// fields, decimal comma, dates dd.mm.yyyy, CR LF, quotes only where needed.
// Files are written whole or not at all; a failure throws CatalogWriteError.
namespace CsvExport {

// One line: each field quoted where it holds ";", a quote or a line break.
QByteArray line(const QStringList &fields);

// The listed projects in the list's filter and order, the given grid columns
// followed by the repository path, the export flags and the description.
// Returns the rows written, -1 when cancelled (no file is left).
int writeProjects(QWidget *parent, const QString &path, const QList<GridColumn> &columns);

// The sales of the listed projects, project by project in the list's order,
// each with its project's code, name and category.
int writeSales(QWidget *parent, const QString &path);

} // namespace CsvExport
