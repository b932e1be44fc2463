#include "sales/SalesAnalysisTables.h"

#include <QLocale>

// Plain decimal text as in the program's grids, with the comma of its Russian
// texts whatever the desktop's locale.
QString moneyText(Money m)
{
    return m.toString(QLocale(QLocale::Russian).decimalPoint().at(0));
}

namespace {

// A mean in whole kopecks: four decimals of a quotient only look exact.
QString mean(const SalesTotal &t)
{
    return moneyText(t.mean(2));
}

PrintedTable emptyTable(const QString &caption, const QStringList &headers, const QList<qreal> &widths,
                        int textColumns)
{
    PrintedTable t;
    t.caption = caption;
    t.headers = headers;
    t.widths = widths;
    t.textColumns = textColumns;
    return t;
}

} // namespace

PrintedTable periodsTable(const SalesReport &report, SalesPeriod period)
{
    PrintedTable t = emptyTable(QStringLiteral("Продажи по периодам"),
                                {QStringLiteral("Период"), QStringLiteral("Продаж"), QStringLiteral("Сумма, руб."),
                                 QStringLiteral("Средняя продажа, руб.")},
                                {60, 30, 50, 50}, 1);
    for (const SalesTotal &p : report.periods)
        t.rows << QStringList{SalesAnalysis::periodLabel(p.periodStart, period), QString::number(p.count),
                              moneyText(p.sum), mean(p)};
    const SalesTotal &total = report.total;
    t.boldRows << int(t.rows.size());
    t.rows << QStringList{QStringLiteral("Итого"), QString::number(total.count), moneyText(total.sum),
                          mean(total)};
    return t;
}

PrintedTable projectsTable(const SalesReport &report)
{
    PrintedTable t = emptyTable(QStringLiteral("Лучшие проекты"),
                                {QStringLiteral("Проект"), QStringLiteral("Категория"), QStringLiteral("Продаж"),
                                 QStringLiteral("Сумма, руб.")},
                                {85, 45, 20, 40}, 2);
    for (const TopProject &p : report.topProjects)
        t.rows << QStringList{p.name, p.category, QString::number(p.count), moneyText(p.sum)};
    return t;
}
