#include "data/csv/CsvFormat.h"

#include "data/csv/CsvTable.h"

#include <QRegularExpression>

namespace {

// The records the guess looks at.
constexpr int SampleRecords = 50;

// The separator that gives the sample's records one field count most
// often, more than one field; ties go to the first, ';' before tab and ','.
QChar guessSeparator(const QString &text)
{
    QChar best = QLatin1Char(';');
    int bestScore = 0;
    for (const QChar candidate : {QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(',')}) {
        const CsvTable sample = CsvTable::parse(text, candidate, SampleRecords);
        if (sample.records.isEmpty() || sample.records.first().size() < 2)
            continue;
        const int width = int(sample.records.first().size());
        int alike = 0;
        for (const QStringList &r : sample.records)
            alike += r.size() == width;
        if (alike > bestScore) {
            best = candidate;
            bestScore = alike;
        }
    }
    return best;
}

void guessMarks(CsvFormat &format, const CsvTable &sample)
{
    static const QRegularExpression grouped(QStringLiteral("^[-+−]?\\d{1,3}([ \\x{A0}\\x{202F}]\\d{3})+([.,]\\d+)?$"));
    static const QRegularExpression comma(QStringLiteral("^[-+−]?\\d+,\\d+$"));
    static const QRegularExpression point(QStringLiteral("^[-+−]?\\d+\\.\\d+$"));
    static const QRegularExpression dmy(QStringLiteral("^\\d{1,2}\\.\\d{1,2}\\.\\d{4}( |$)"));
    static const QRegularExpression dmyShort(QStringLiteral("^\\d{1,2}\\.\\d{1,2}\\.\\d{2}( |$)"));
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}( |T|$)"));
    int commas = 0, points = 0, spaces = 0, noBreaks = 0, dates[3] = {0, 0, 0};
    for (const QStringList &record : sample.records) {
        for (const QString &raw : record) {
            const QString cell = raw.trimmed();
            if (const auto m = grouped.match(cell); m.hasMatch()) {
                (cell.contains(QLatin1Char(' ')) ? spaces : noBreaks)++;
                commas += cell.contains(QLatin1Char(','));
                points += cell.contains(QLatin1Char('.'));
            } else {
                commas += comma.match(cell).hasMatch();
                points += point.match(cell).hasMatch();
            }
            dates[0] += dmy.match(cell).hasMatch();
            dates[1] += dmyShort.match(cell).hasMatch();
            dates[2] += iso.match(cell).hasMatch();
        }
    }
    // A comma that separates fields can't be the decimal mark of a bare number.
    format.decimal = points > commas || format.separator == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    if (spaces + noBreaks > 0)
        format.thousands = spaces >= noBreaks ? CsvFormat::Thousands::Space : CsvFormat::Thousands::NoBreakSpace;
    if (dates[1] > dates[0] && dates[1] >= dates[2])
        format.dateForm = CsvFormat::DateForm::DayMonthShortYear;
    else if (dates[2] > dates[0])
        format.dateForm = CsvFormat::DateForm::Iso;
}

} // namespace

CsvFormat CsvFormat::guess(const QByteArray &bytes, bool (*isTitle)(const QString &))
{
    CsvFormat format;
    format.encoding = CsvTable::hasUtf8Mark(bytes) || CsvTable::isValidUtf8(bytes) ? Encoding::Utf8
                                                                                   : Encoding::Windows1251;
    // A few kilobytes tell; a cut character at the end does not matter there.
    const QString text = CsvTable::decode(bytes.left(64 * 1024), format.encoding);
    format.separator = guessSeparator(text);
    const CsvTable sample = CsvTable::parse(text, format.separator, SampleRecords);
    format.titles = false;
    if (!sample.records.isEmpty())
        for (const QString &cell : sample.records.first())
            format.titles = format.titles || isTitle(cell);
    guessMarks(format, sample);
    return format;
}

bool CsvFormat::isThousandsMark(QChar c) const
{
    switch (thousands) {
    case Thousands::Space:
        return c == QLatin1Char(' ');
    case Thousands::NoBreakSpace: // the narrow one too, as newer locales write it
        return c == QChar(0x00A0) || c == QChar(0x202F);
    case Thousands::None:
        break;
    }
    return false;
}
