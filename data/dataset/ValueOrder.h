#pragma once

#include "data/dataset/Field.h"

#include <QCollator>
#include <QDateTime>
#include <QVariant>
#include <limits>

// The one order of stored values in the dataset layer: the sort, locate and
// the filter's comparisons all take it from here, so they never disagree.
// Empty values come before every other value. A Yes/No reads as the
// original engine stored it, -1 for Yes and 0 for No, so Yes comes first.

// Null and invalid values are empty.
bool isEmptyValue(const QVariant &v);

// A date-time column holds a QDate (no time of day) or a QDateTime; a date
// is the start of its day.
QDateTime dateTimeOf(const QVariant &v);

// Whether values of the type order by their text (in the collated order)
// rather than by a number.
bool ordersByText(FieldType type);

// A value of a type that does not order by text as one number in value
// order: whole numbers as they are, money in ten-thousandths, Yes/No as -1
// or 0, dates in milliseconds. EmptyKey for an empty value.
constexpr qint64 EmptyKey = std::numeric_limits<qint64>::min();
qint64 numberKey(const QVariant &v, FieldType type);

// The order of the program's text: Russian, whatever the process's locale;
// numbers inside names by their value; letter case ignored.
const QCollator &textCollator();

// Below zero, zero or above zero as a sorts before, with or after b. Texts
// compare by their characters, letter case ignored, as the filter language
// and locate have always compared them.
int compareValues(const QVariant &a, const QVariant &b, FieldType type);
