#pragma once

#include <QString>
#include <QVariant>

// What becomes of a legacy screenshot (an OLE Object value): a BMP is kept as
// it is, a BMP that Access wrapped in an OLE "Package" object is taken out of
// it, anything else is dropped.
struct LegacyPicture {
    QVariant value;  // what is stored: the bitmap's bytes, or NULL
    QString note;    // for the report, when the value was not kept as it was
};

LegacyPicture legacyPicture(const QVariant &ole);
