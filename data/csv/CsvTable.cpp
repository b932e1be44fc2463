#include "data/csv/CsvTable.h"

#include "data/core/Cp1251.h"

#include <QStringDecoder>

bool CsvTable::hasUtf8Mark(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF");
}

bool CsvTable::isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString CsvTable::decode(const QByteArray &bytes, CsvFormat::Encoding encoding)
{
    if (encoding == CsvFormat::Encoding::Windows1251)
        return Cp1251::toUnicode(bytes);
    const QByteArrayView body = QByteArrayView(bytes).sliced(hasUtf8Mark(bytes) ? 3 : 0);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return decoder.decode(body);
}

CsvTable CsvTable::parse(const QString &text, QChar separator, int maxRecords)
{
    CsvTable table;
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    const QChar quote = QLatin1Char('"'), cr = QLatin1Char('\r'), lf = QLatin1Char('\n');
    int line = 1;
    QStringList record;
    QString fieldText;
    bool anyText = false; // the record holds a character or a quoted field
    int recordLine = 1;
    auto endRecord = [&] {
        record << fieldText;
        fieldText.clear();
        if (anyText) { // a line of empty fields (a spreadsheet's blank row) is no record
            table.records << record;
            table.lines << recordLine;
        }
        record.clear();
        anyText = false;
    };
    while (p < end && (maxRecords < 0 || table.records.size() < maxRecords)) {
        const QChar c = *p++;
        if (c == quote && fieldText.isEmpty()) {
            anyText = true;
            const int openedOn = line;
            bool closed = false;
            while (p < end) {
                const QChar q = *p++;
                if (q == quote) {
                    if (p < end && *p == quote) {
                        fieldText += quote;
                        ++p;
                        continue;
                    }
                    closed = true;
                    break;
                }
                if (q == lf || (q == cr && (p == end || *p != lf)))
                    ++line;
                fieldText += q;
            }
            if (!closed && !table.unclosedQuoteLine)
                table.unclosedQuoteLine = openedOn;
        } else if (c == separator) {
            record << fieldText;
            fieldText.clear();
        } else if (c == cr || c == lf) {
            if (c == cr && p < end && *p == lf)
                ++p;
            endRecord();
            recordLine = ++line;
        } else {
            anyText = true;
            fieldText += c;
        }
    }
    if (p == end && (!fieldText.isEmpty() || !record.isEmpty() || anyText))
        endRecord();
    return table;
}
