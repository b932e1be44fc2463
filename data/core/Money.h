#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Exact currency: a count of ten-thousandths of a rouble. Never a double, so
// sums and copies keep every one of the four decimals.
class Money
{
public:
    static constexpr qint64 Scale = 10000;
    // The largest amount an editor accepts: 9 999 999 999.9999 roubles. Far
    // from the 64-bit limit, so totals over many rows stay exact.
    static constexpr qint64 MaxInputUnits = 99'999'999'999'999;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) { Money m; m.m_units = units; return m; }
    static constexpr Money fromRoubles(qint64 roubles) { return fromUnits(roubles * Scale); }

    // Accepts "12", "12.5", "-0,0001", surrounding blanks; at most 4 decimals.
    // Returns nothing for text that is no number or does not fit.
    static std::optional<Money> parse(const QString &text);

    constexpr qint64 units() const { return m_units; }

    // Plain decimal text without trailing zeros: "1234.5678", "10", "0.5".
    QString toString(QChar decimalPoint = QLatin1Char('.')) const;
    // The same with the decimal separator of the default locale.
    QString toDisplayString() const;

    friend constexpr bool operator==(Money a, Money b) { return a.m_units == b.m_units; }
    friend constexpr bool operator!=(Money a, Money b) { return a.m_units != b.m_units; }
    friend constexpr bool operator<(Money a, Money b) { return a.m_units < b.m_units; }
    friend constexpr Money operator+(Money a, Money b) { return fromUnits(a.m_units + b.m_units); }

private:
    qint64 m_units = 0;
};
