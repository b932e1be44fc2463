#pragma once

#include "data/sales/SalesAnalysis.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QString>

class QFontMetricsF;

// What the sales chart shows apart from its bars: the colours of the
// categories and the labels under the bars.

// The colour of the category at index in the name order of all categories;
// a negative index is the sales without a category. Every colour stands out
// on white (a contrast of at least 3 to 1).
QColor categoryColour(int index);

// One label of the period axis, under the bars first..last.
struct PeriodAxisLabel {
    QString text;
    int first = 0;
    int last = 0;
    friend bool operator==(const PeriodAxisLabel &a, const PeriodAxisLabel &b)
    {
        return a.text == b.text && a.first == b.first && a.last == b.last;
    }
};

// Labels for one bar per period (starts in order) over width pixels: each
// bar its own while they fit, else years (or runs of years) under their
// bars; an edge run too narrow for its year stays blank.
QList<PeriodAxisLabel> periodAxisLabels(const QList<QDate> &starts, SalesPeriod period, qreal width,
                                        const QFontMetricsF &metrics);

// The period in full words, for a bar's tooltip: "март 2013", "II кв. 2013", "2013".
QString fullPeriodName(const QDate &start, SalesPeriod period);
