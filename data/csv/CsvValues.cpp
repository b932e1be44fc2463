#include "data/csv/CsvValues.h"

#include <QStringList>
#include <algorithm>

namespace CsvValues {

QString text(const QString &cell)
{
    QString t = cell;
    t.replace(QChar(0), QChar::ReplacementCharacter);
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    qsizetype first = 0;
    while (first < t.size() && t.at(first) == QLatin1Char('\''))
        ++first;
    if (first > 0 && first < t.size() && formulaStarts.contains(t.at(first)))
        t.remove(0, 1);
    return t;
}

std::optional<Money> money(const QString &cell, const CsvFormat &format, QString *why)
{
    QString t = cell.trimmed();
    for (const QString &unit : {QStringLiteral("₽"), QStringLiteral("руб."), QStringLiteral("р.")})
        if (t.endsWith(unit)) {
            t.chop(unit.size());
            t = t.trimmed();
            break;
        }
    if (t.startsWith(QChar(0x2212))) // the minus sign some spreadsheets write
        t[0] = QLatin1Char('-');
    QString plain;
    plain.reserve(t.size());
    const QChar otherMark = format.decimal == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (format.isThousandsMark(c) && i > 0 && t.at(i - 1).isDigit() && i + 1 < t.size() && t.at(i + 1).isDigit())
            continue;
        if (c == otherMark) {
            *why = QStringLiteral("не число (десятичный знак — «%1»)").arg(format.decimal);
            return std::nullopt;
        }
        plain += c;
    }
    const qsizetype mark = plain.indexOf(format.decimal);
    if (mark >= 0) {
        const QStringView fraction = QStringView(plain).mid(mark + 1);
        if (fraction.size() > 4 && std::all_of(fraction.begin(), fraction.end(), [](QChar c) { return c.isDigit(); })) {
            *why = QStringLiteral("больше четырёх знаков после запятой");
            return std::nullopt;
        }
    }
    const std::optional<Money> m = Money::parse(plain);
    if (!m) {
        *why = QStringLiteral("не число");
        return std::nullopt;
    }
    if (m->units() > Money::MaxInputUnits || m->units() < -Money::MaxInputUnits) {
        *why = QStringLiteral("больше 9 999 999 999,9999 по модулю");
        return std::nullopt;
    }
    return m;
}

namespace {

// The time of day after a date: "HH:mm" or "HH:mm:ss".
bool readTime(const QString &text, QTime *time)
{
    if (text.isEmpty()) {
        *time = QTime(0, 0);
        return true;
    }
    for (const QString &form : {QStringLiteral("H:mm:ss"), QStringLiteral("H:mm")}) {
        *time = QTime::fromString(text, form);
        if (time->isValid())
            return true;
    }
    return false;
}

QDate readDate(const QString &text, CsvFormat::DateForm form)
{
    const bool iso = form == CsvFormat::DateForm::Iso;
    const QStringList parts = text.split(iso ? QLatin1Char('-') : QLatin1Char('.'));
    if (parts.size() != 3)
        return {};
    const int yearDigits = form == CsvFormat::DateForm::DayMonthShortYear ? 2 : 4;
    const QString &yearText = iso ? parts[0] : parts[2];
    const QString &dayText = iso ? parts[2] : parts[0];
    if (yearText.size() != yearDigits || dayText.isEmpty() || dayText.size() > 2 || parts[1].isEmpty()
        || parts[1].size() > 2)
        return {};
    for (const QString &p : parts)
        for (const QChar c : p)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return {};
    int year = yearText.toInt();
    if (yearDigits == 2)
        year += year < 70 ? 2000 : 1900;
    return QDate(year, parts[1].toInt(), dayText.toInt());
}

} // namespace

QVariant date(const QString &cell, CsvFormat::DateForm form, QString *why)
{
    const QString t = cell.trimmed();
    const qsizetype blank = t.indexOf(QLatin1Char(' '));
    const QDate d = readDate(blank < 0 ? t : t.left(blank), form);
    QTime time;
    if (!d.isValid() || !readTime(blank < 0 ? QString() : t.mid(blank + 1).trimmed(), &time)) {
        static const char *const forms[] = {"дд.мм.гггг", "дд.мм.гг", "гггг-мм-дд"};
        *why = QStringLiteral("не дата (ожидается %1)").arg(QString::fromUtf8(forms[int(form)]));
        return {};
    }
    if (time == QTime(0, 0))
        return d;
    return QDateTime(d, time);
}

std::optional<bool> boolean(const QString &cell, QString *why)
{
    const QString t = cell.trimmed().toLower();
    static const QStringList yes = {QStringLiteral("да"), QStringLiteral("истина"), QStringLiteral("true"),
                                    QStringLiteral("1")};
    static const QStringList no = {QStringLiteral("нет"), QStringLiteral("ложь"), QStringLiteral("false"),
                                   QStringLiteral("0")};
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    *why = QStringLiteral("не «Да» и не «Нет»");
    return std::nullopt;
}

std::optional<qint64> integer(const QString &cell, QString *why)
{
    bool ok = false;
    const qint64 v = cell.trimmed().toLongLong(&ok);
    if (!ok) {
        *why = QStringLiteral("не целое число");
        return std::nullopt;
    }
    return v;
}

} // namespace CsvValues
