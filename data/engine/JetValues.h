#pragma once

#include <QString>
#include <optional>

// Jet's stored values, decoded by the program itself: libmdb's own text and
// date formatting lose characters outside the Basic Multilingual Plane and
// dates before 1899-12-30.
namespace JetValues {

// Jet 4 text: UTF-16LE, or, after the bytes FF FE, Jet's compression (runs of
// one-byte Latin-1 characters and of UTF-16LE, each 00 byte switching). An
// empty text stays apart from NULL: the result is never a null QString.
QString text(const char *data, int size);

// Date/Time: days since 1899-12-30, the fraction the time of day, the sign on
// the day part only (-1.5 is 1899-12-29 12:00). ISO text "YYYY-MM-DD", with
// " HH:MM:SS" only when there is a time of day (to the nearest second).
// Nothing for a value outside Jet's years 100 to 9999.
std::optional<QString> dateText(double days);

} // namespace JetValues
