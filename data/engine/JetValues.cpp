#include "data/engine/JetValues.h"

#include <QtEndian>
#include <cmath>

namespace JetValues {

QString text(const char *data, int size)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data);
    if (size < 2 || bytes[0] != 0xff || bytes[1] != 0xfe) {
        QString plain(size / 2, Qt::Uninitialized);
        for (int i = 0; i < size / 2; ++i)
            plain[i] = QChar(qFromLittleEndian<quint16>(bytes + 2 * i));
        return plain;
    }
    QString out(0, Qt::Uninitialized);
    out.reserve(size);
    bool compressed = true;
    for (int i = 2; i < size;) {
        if (bytes[i] == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            out.append(QChar(bytes[i++]));
        } else if (i + 1 < size) {
            out.append(QChar(qFromLittleEndian<quint16>(bytes + i)));
            i += 2;
        } else {
            break; // an odd byte at the end carries no character
        }
    }
    return out;
}

namespace {

// Proleptic Gregorian date of a day count from 1970-01-01 (H. Hinnant's
// civil_from_days): exact for every day, no calendar object per value.
void civilFromDays(qint64 z, qint64 &y, int &m, int &d)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

void appendNumber(QString &s, qint64 n, int width)
{
    QChar digits[8];
    for (int i = width - 1; i >= 0; --i, n /= 10)
        digits[i] = QChar(u'0' + int(n % 10));
    s.append(digits, width);
}

// 1899-12-30 counted from 1970-01-01.
const qint64 JetEpoch = -25569;
// 100-01-01 and 10000-01-01 as Jet day counts.
const double FirstDay = -657434.0;
const double PastLastDay = 2958466.0;

} // namespace

std::optional<QString> dateText(double days)
{
    if (!std::isfinite(days) || days < FirstDay || days >= PastLastDay)
        return std::nullopt;
    const double dayPart = std::trunc(days);
    qint64 day = qint64(dayPart);
    qint64 seconds = std::llround(std::fabs(days - dayPart) * 86400.0);
    if (seconds >= 86400) { // rounded up to the next midnight
        seconds -= 86400;
        ++day;
    }
    qint64 year;
    int month, dayOfMonth;
    civilFromDays(day + JetEpoch, year, month, dayOfMonth);
    if (year > 9999)
        return std::nullopt;
    QString out;
    out.reserve(19);
    appendNumber(out, year, 4);
    out.append(QLatin1Char('-'));
    appendNumber(out, month, 2);
    out.append(QLatin1Char('-'));
    appendNumber(out, dayOfMonth, 2);
    if (seconds > 0) {
        out.append(QLatin1Char(' '));
        appendNumber(out, seconds / 3600, 2);
        out.append(QLatin1Char(':'));
        appendNumber(out, seconds / 60 % 60, 2);
        out.append(QLatin1Char(':'));
        appendNumber(out, seconds % 60, 2);
    }
    return out;
}

} // namespace JetValues
