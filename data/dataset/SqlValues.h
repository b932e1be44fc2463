#pragma once

#include "data/dataset/Field.h"

#include <QVariant>

// Conversions between the stored form of a value (SQLite) and its form in a row.
namespace SqlValues {
QVariant fromSql(FieldType type, const QVariant &stored);
QVariant toSql(FieldType type, const QVariant &value);
FieldType typeOfColumn(const QVariant &sample, QMetaType declared);
} // namespace SqlValues
