#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The server's text form of a row, "(7,,\"a, \"\"b\"\"\",x)", read field by
// field. A large read takes each row as one such text: the driver then
// converts one value a row instead of one a column, which cost as much as
// the whole plain read again.
class RecordText
{
public:
    explicit RecordText(QStringView record);

    // The next field's text; nothing for NULL (an empty text is quoted) and
    // past the last field. A view stays valid until the next call.
    std::optional<QStringView> next();

private:
    QStringView m_rest;
    QString m_unquoted; // a field with doubled quotes or backslashes
};
