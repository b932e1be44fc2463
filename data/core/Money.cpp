#include "data/core/Money.h"

#include <QLocale>
#include <QtNumeric>

std::optional<Money> Money::parse(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) {
        negative = t[0] == QLatin1Char('-');
        ++i;
    }
    qint64 whole = 0;
    int wholeDigits = 0;
    for (; i < t.size() && t[i].isDigit(); ++i, ++wholeDigits) {
        if (qMulOverflow(whole, qint64(10), &whole) || qAddOverflow(whole, qint64(t[i].digitValue()), &whole))
            return std::nullopt;
    }
    qint64 fraction = 0;
    int fractionDigits = 0;
    if (i < t.size() && (t[i] == QLatin1Char('.') || t[i] == QLatin1Char(','))) {
        for (++i; i < t.size() && t[i].isDigit(); ++i, ++fractionDigits) {
            if (fractionDigits >= 4)
                return std::nullopt; // more precision than the column keeps
            fraction = fraction * 10 + t[i].digitValue();
        }
    }
    if (i != t.size() || wholeDigits + fractionDigits == 0)
        return std::nullopt;
    for (int d = fractionDigits; d < 4; ++d)
        fraction *= 10;
    qint64 units = 0;
    if (qMulOverflow(whole, Scale, &units) || qAddOverflow(units, fraction, &units))
        return std::nullopt;
    return fromUnits(negative ? -units : units);
}

QString Money::toString(QChar decimalPoint) const
{
    const bool negative = m_units < 0;
    const quint64 abs = negative ? quint64(-(m_units + 1)) + 1 : quint64(m_units);
    QString text = QString::number(abs / Scale);
    quint64 fraction = abs % Scale;
    if (fraction) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += decimalPoint + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString Money::toDisplayString() const
{
    return toString(QLocale().decimalPoint().at(0));
}
