#pragma once

#include <QDateTime>
#include <functional>

// The clock seam: the program reads the date and time only through here, so
// tests can fix "today".
namespace Clock {
std::function<QDateTime()> &source();
inline QDateTime now() { return source()(); }
inline QDate today() { return now().date(); }
// Fixes the clock (tests); reset() returns to the system clock.
void set(const QDateTime &fixed);
void reset();
} // namespace Clock
