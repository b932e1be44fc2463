#include "sales/SalesChart.h"

#include <QFontMetricsF>
#include <QLocale>
#include <algorithm>

namespace {

// A label needs this much room beside its text, or the chart cuts it to "…".
constexpr qreal LabelGap = 10;

const QString LineBreak = QStringLiteral("<br>");

// The year under the month or quarter, so narrow bars keep whole labels.
QString barLabel(const QDate &start, SalesPeriod period)
{
    QString label = SalesAnalysis::periodLabel(start, period);
    const qsizetype year = label.lastIndexOf(QLatin1Char(' '));
    if (year > 0)
        label.replace(year, 1, LineBreak);
    return label;
}

qreal textWidth(const QString &label, const QFontMetricsF &metrics)
{
    qreal widest = 0;
    for (const QString &line : label.split(LineBreak))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest + LabelGap;
}

// Runs of bars whose years fall into the same block of years (0: every
// bar alone), each labelled with its first bar's year.
QList<PeriodAxisLabel> runs(const QList<QDate> &starts, SalesPeriod period, int years)
{
    QList<PeriodAxisLabel> out;
    int block = 0;
    for (int i = 0; i < starts.size(); ++i) {
        const int own = years ? starts.at(i).year() / years : i;
        if (!out.isEmpty() && own == block) {
            out.last().last = i;
            continue;
        }
        block = own;
        out.append({years ? QString::number(starts.at(i).year()) : barLabel(starts.at(i), period), i, i});
    }
    return out;
}

} // namespace

QColor categoryColour(int index)
{
    // Distinct hues, each dark enough to see on white paper and screen.
    static const QColor Colours[] = {
        QColor(0x1f, 0x6f, 0xb4), QColor(0xc0, 0x39, 0x2b), QColor(0x2e, 0x7d, 0x32), QColor(0x7b, 0x4f, 0xa8),
        QColor(0xb3, 0x5c, 0x00), QColor(0x00, 0x7c, 0x85), QColor(0xad, 0x1e, 0x73), QColor(0x6d, 0x6a, 0x00),
        QColor(0x8a, 0x4b, 0x38), QColor(0x3f, 0x51, 0xb5), QColor(0x55, 0x8b, 0x2f), QColor(0x9c, 0x27, 0xb0)};
    if (index < 0)
        return QColor(0x75, 0x75, 0x75);
    return Colours[index % int(std::size(Colours))];
}

QList<PeriodAxisLabel> periodAxisLabels(const QList<QDate> &starts, SalesPeriod period, qreal width,
                                        const QFontMetricsF &metrics)
{
    if (starts.isEmpty())
        return {};
    const qreal bar = width / qreal(starts.size());
    QList<PeriodAxisLabel> labels;
    for (int years : {0, 1, 2, 5, 10, 20, 50, 100, 1000}) {
        labels = runs(starts, period, years);
        const auto tooNarrow = [&](const PeriodAxisLabel &l) {
            return qreal(l.last - l.first + 1) * bar < textWidth(l.text, metrics);
        };
        // The runs at the edges may be cut by the range; those are left blank.
        if (labels.size() <= 2 || std::none_of(labels.begin() + 1, labels.end() - 1, tooNarrow)) {
            for (PeriodAxisLabel *edge : {&labels.first(), &labels.last()})
                if (years && tooNarrow(*edge))
                    edge->text.clear();
            break;
        }
    }
    return labels;
}

QString fullPeriodName(const QDate &start, SalesPeriod period)
{
    if (period != SalesPeriod::Month)
        return SalesAnalysis::periodLabel(start, period);
    return QLocale(QLocale::Russian).standaloneMonthName(start.month(), QLocale::LongFormat) + QLatin1Char(' ')
        + QString::number(start.year());
}
