#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// How a CSV file is written: what the import window lets the user choose,
// and what guess() reads from the file's first lines.
struct CsvFormat
{
    enum class Encoding { Utf8, Windows1251 };
    enum class Thousands { None, Space, NoBreakSpace };
    enum class DateForm { DayMonthYear, DayMonthShortYear, Iso }; // dd.mm.yyyy, dd.mm.yy, yyyy-mm-dd

    Encoding encoding = Encoding::Utf8;
    QChar separator = QLatin1Char(';');
    QChar decimal = QLatin1Char(',');
    Thousands thousands = Thousands::None;
    DateForm dateForm = DateForm::DayMonthYear;
    bool titles = true; // the first line holds the columns' titles

    // What a file most likely is: a byte-order mark or valid UTF-8 means
    // UTF-8, else Windows-1251; the separator that splits the first lines
    // alike; the marks its numbers and dates use; titles when the first
    // line names known columns (isTitle tells them).
    static CsvFormat guess(const QByteArray &bytes, bool (*isTitle)(const QString &));

    // The characters that group thousands under this choice.
    bool isThousandsMark(QChar c) const;

    friend bool operator==(const CsvFormat &a, const CsvFormat &b)
    {
        return a.encoding == b.encoding && a.separator == b.separator && a.decimal == b.decimal
            && a.thousands == b.thousands && a.dateForm == b.dateForm && a.titles == b.titles;
    }
};
