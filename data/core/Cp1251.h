#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251: the code page of the exported catalogue page and of older
// spreadsheets' CSV files. Qt offers no such codec on every platform, so the
// table is our own.
namespace Cp1251 {

// Encodes text byte for byte; a character the code page cannot hold becomes
// an HTML numeric character reference ("&#8364;" style) so nothing is lost
// when the result is read as HTML.
QByteArray fromUnicodeForHtml(const QString &text);

// Decodes bytes of the code page (an unassigned byte gives U+FFFD).
QString toUnicode(const QByteArray &bytes);

} // namespace Cp1251
