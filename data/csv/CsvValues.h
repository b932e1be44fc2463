#pragma once

#include "data/core/Money.h"
#include "data/csv/CsvFormat.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

// One cell as a value of the catalogue, under the file's format. Each gives
// back the value, or leaves why it is none in *why (in the words of the
// list of problems).
namespace CsvValues {

// Text as the program's own export wrote it: one apostrophe before a text
// that would look like a formula is taken off; a NUL, which no text field
// holds, becomes U+FFFD as the export writes it.
QString text(const QString &cell);

// "1 234,5678", "-0,0001", "1234.56 ₽": exact, at most 4 decimals, within
// the editors' bound. Empty cells are for the caller.
std::optional<Money> money(const QString &cell, const CsvFormat &format, QString *why);

// A date in the file's form, with a time of day where one follows
// ("01.02.2011 14:05:09"); dd.mm.yy reads 00..69 as 2000..2069.
// A null QVariant for a cell that is no date (why says so).
QVariant date(const QString &cell, CsvFormat::DateForm form, QString *why);

// "Да"/"Нет", "ИСТИНА"/"ЛОЖЬ", "TRUE"/"FALSE", "1"/"0".
std::optional<bool> boolean(const QString &cell, QString *why);

// A whole number (a project's code).
std::optional<qint64> integer(const QString &cell, QString *why);

} // namespace CsvValues
