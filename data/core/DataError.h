#pragma once

#include <QString>
#include <stdexcept>

// The one exception type of the data layer. It carries the text meant for the
// user (the database's own words where the database refused something).
class DataError : public std::runtime_error
{
public:
    enum class Kind {
        General,    // anything the database or the layer refused
        Unique,     // a post refused by a unique index
        Conversion, // a value that does not convert to the field's type
        Filter,     // a filter text that does not parse
        Missing,    // a table or column the program needs is not in the file
        Locked,     // another program holds the file
        ReadOnly,   // the file or its folder can't be written
        DiskFull,   // no room left for the change
        NotADatabase, // the file is no database, or not one of this program
        Corrupt,    // the file is damaged
        Conflict,   // another user changed or deleted the row, or a row it refers to, since it was read
        Connection  // the server can't be reached or the connection was lost
    };

    explicit DataError(const QString &text, Kind kind = Kind::General)
        : std::runtime_error(text.toStdString()), m_text(text), m_kind(kind) {}

    QString text() const { return m_text; }
    Kind kind() const { return m_kind; }
    bool isUniqueViolation() const { return m_kind == Kind::Unique; }
    // The database's own words, when the first line is the program's.
    QString detail() const { return m_text.section(QLatin1Char('\n'), 1); }

private:
    QString m_text;
    Kind m_kind;
};
