#include "sales/SalesAnalysisTables.h"

namespace {

QString money(Money m)
{
    return m.toDisplayString();
}

} // namespace

PrintedTable periodsTable(const SalesReport &report, SalesPeriod period)
{
    PrintedTable t;
    t.caption = QStringLiteral("Продажи по периодам");
    t.headers = QStringList{QStringLiteral("Период"), QStringLiteral("Продаж"), QStringLiteral("Сумма, руб."),
                            QStringLiteral("Средняя продажа, руб.")};
    t.widths = {60, 30, 50, 50};
    t.textColumns = 1;
    for (const SalesTotal &p : report.periods)
        t.rows << QStringList{SalesAnalysis::periodLabel(p.periodStart, period), QString::number(p.count),
                              money(p.sum), money(p.mean())};
    const SalesTotal &total = report.total;
    t.boldRows << int(t.rows.size());
    t.rows << QStringList{QStringLiteral("Итого"), QString::number(total.count), money(total.sum),
                          money(total.mean())};
    return t;
}

PrintedTable projectsTable(const SalesReport &report)
{
    PrintedTable t;
    t.caption = QStringLiteral("Лучшие проекты");
    t.headers = QStringList{QStringLiteral("Проект"), QStringLiteral("Категория"), QStringLiteral("Продаж"),
                            QStringLiteral("Сумма, руб.")};
    t.widths = {85, 45, 20, 40};
    t.textColumns = 2;
    for (const TopProject &p : report.topProjects)
        t.rows << QStringList{p.name, p.category, QString::number(p.count), money(p.sum)};
    return t;
}
