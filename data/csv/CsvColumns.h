#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What a column of an imported file goes into.
enum class CsvField {
    Skip,
    // Projects.
    Name,
    Category,
    Year,
    Ide,
    Price,
    Begin,
    End,
    Update,
    Repository,
    ExportProject,
    ExportDescription,
    Description,
    // Sales: their project, by code or by name (Name), and the sale's own.
    ProjectCode,
    SaleDate,
    SaleSum,
    SaleComment,
};

enum class CsvKind { Projects, Sales };

namespace CsvColumns {

// The fields a file of this kind can fill, Skip first.
QVector<CsvField> fields(CsvKind kind);
// The field's name as the window lists it.
QString title(CsvField field);
// What a column of this title goes into: the program's own export's titles,
// the editors' labels and a few plain words ("Сумма", "Дата"); Skip for
// anything else, and for what this kind does not fill (a sale's number).
CsvField guess(CsvKind kind, const QString &columnTitle);
// The columns' fields from the file's titles, each field taken once.
QVector<CsvField> guessAll(CsvKind kind, const QStringList &titles);
// Whether a title names a column of either kind (a line of titles).
bool isKnownTitle(const QString &columnTitle);
// The most characters a text field takes; 0 for any.
int maxLength(CsvField field);

} // namespace CsvColumns
