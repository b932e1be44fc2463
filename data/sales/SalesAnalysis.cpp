#include "data/sales/SalesAnalysis.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/sales/SalesSummary.h"

#include <QLocale>
#include <QMap>
#include <QtNumeric>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The period a sale falls in, as text cut from the ISO date by the database:
// "2013-05" for a month, "2013-2" for a quarter, "2013" for a year. substr(),
// CAST and || are the same on every engine the program runs on; this is the
// one place that knows how dates are stored.
QString periodKey(SalesPeriod period)
{
    switch (period) {
    case SalesPeriod::Month:
        return QStringLiteral("substr(o.date_orders, 1, 7)");
    case SalesPeriod::Quarter:
        return QStringLiteral("substr(o.date_orders, 1, 5)"
                              " || CAST((CAST(substr(o.date_orders, 6, 2) AS INTEGER) + 2) / 3 AS VARCHAR(1))");
    case SalesPeriod::Year:
        break;
    }
    return QStringLiteral("substr(o.date_orders, 1, 4)");
}

// The first day of the period a key names; invalid for a key of no date.
QDate startOfKey(const QString &key, SalesPeriod period)
{
    const int year = key.left(4).toInt();
    switch (period) {
    case SalesPeriod::Month:
        return QDate(year, key.mid(5, 2).toInt(), 1);
    case SalesPeriod::Quarter:
        return QDate(year, (key.mid(5).toInt() - 1) * 3 + 1, 1);
    case SalesPeriod::Year:
        break;
    }
    return QDate(year, 1, 1);
}

// A date range on the text column: times of day on the last day sort after
// its bare date, so the bound is the start of the next day.
const char *const kDateRange = "o.date_orders >= :from AND o.date_orders < :until";

QHash<QString, QVariant> rangeParams(const QDate &from, const QDate &to, int catId)
{
    return {{QStringLiteral("from"), from.toString(Qt::ISODate)},
            {QStringLiteral("until"), to.addDays(1).toString(Qt::ISODate)},
            {QStringLiteral("cat"), catId}};
}

QString monthKey(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM"));
}

// Exact sums, or a refusal when they pass the 64 bits of money.
[[noreturn]] void tooLarge()
{
    throw DataError(QStringLiteral("Сумма продаж за период слишком велика для расчета."));
}

Money plus(Money a, Money b)
{
    qint64 sum = 0;
    if (qAddOverflow(a.units(), b.units(), &sum))
        tooLarge();
    return Money::fromUnits(sum);
}

// A total kept as the totals of its high and low 32 bits, joined again.
Money joinedSum(qint64 high, qint64 low)
{
    qint64 shifted = 0;
    if (qMulOverflow(high, qint64(1) << 32, &shifted))
        tooLarge();
    return plus(Money::fromUnits(shifted), Money::fromUnits(low));
}

// Sums arrive as 64-bit integers; an empty group's NULL reads as zero.
Money moneyOf(const QVariant &value)
{
    return Money::fromUnits(value.isNull() ? 0 : value.toLongLong());
}

} // namespace

Money SalesTotal::mean(int decimals) const
{
    if (count == 0)
        return Money();
    // Rounded once from the exact sum: rounding the 4-decimal mean again
    // would round some halves the wrong way.
    qint64 step = 1;
    for (int d = decimals; d < 4; ++d)
        step *= 10;
    const qint64 units = sum.units();
    const qint64 divisor = count * step;
    qint64 q = units / divisor;
    const qint64 r = units % divisor;
    if (2 * (r < 0 ? -r : r) >= divisor)
        q += units < 0 ? -1 : 1;
    return Money::fromUnits(q * step);
}

SalesReport SalesAnalysis::run(const SalesQuery &query) const
{
    SalesReport report;
    if (!query.from.isValid() || !query.to.isValid() || query.to < query.from)
        return report;
    for (QDate start = periodStart(query.from, query.period); start <= query.to;
         start = nextPeriod(start, query.period))
        report.periods.append(SalesTotal{start, 0, Money()});
    QHash<QDate, int> index;
    for (int i = 0; i < report.periods.size(); ++i)
        index.insert(report.periods.at(i).periodStart, i);
    // A date stored in some other form may fall in no period of the range.
    for (const SalesCell &cell : cells(query)) {
        const auto at = index.constFind(cell.periodStart);
        if (at == index.constEnd())
            continue;
        report.cells.append(cell);
        SalesTotal &period = report.periods[*at];
        period.count += cell.count;
        period.sum = plus(period.sum, cell.sum);
        report.total.count += cell.count;
        report.total.sum = plus(report.total.sum, cell.sum);
    }
    if (query.topCount > 0)
        report.topProjects = topProjects(query);
    return report;
}

// Whole months come from the monthly totals where the catalogue keeps them;
// the days before the first and after the last whole month from the sales.
QList<SalesCell> SalesAnalysis::cells(const SalesQuery &query) const
{
    const QDate first = query.from.day() == 1 ? query.from : periodStart(query.from, SalesPeriod::Month).addMonths(1);
    const QDate afterLast = periodStart(query.to.addDays(1), SalesPeriod::Month);
    if (first >= afterLast || !SalesSummary::present(*m_db))
        return salesCells(query, query.from, query.to);
    QList<SalesCell> parts = summaryCells(query, first, afterLast.addMonths(-1));
    if (query.from < first)
        parts += salesCells(query, query.from, first.addDays(-1));
    if (afterLast <= query.to)
        parts += salesCells(query, afterLast, query.to);
    QMap<QPair<QDate, int>, SalesCell> merged;
    for (const SalesCell &cell : std::as_const(parts)) {
        SalesCell &into = merged[qMakePair(cell.periodStart, cell.catId)];
        into.periodStart = cell.periodStart;
        into.catId = cell.catId;
        into.count += cell.count;
        into.sum = plus(into.sum, cell.sum);
    }
    return merged.values();
}

QList<SalesCell> SalesAnalysis::summaryCells(const SalesQuery &query, const QDate &first, const QDate &last) const
{
    QString sql = QStringLiteral("SELECT month, cat_id, sales, summ_hi, summ_lo FROM sales_month"
                                 " WHERE month >= :first AND month <= :last");
    if (query.catId != 0)
        sql += QStringLiteral(" AND cat_id = :cat");
    QSqlQuery q = m_db->exec(sql, {{QStringLiteral("first"), monthKey(first)},
                                   {QStringLiteral("last"), monthKey(last)},
                                   {QStringLiteral("cat"), query.catId}});
    QList<SalesCell> result;
    while (q.next()) {
        const QDate month = startOfKey(q.value(0).toString(), SalesPeriod::Month);
        if (month.isValid())
            result.append({periodStart(month, query.period), q.value(1).toInt(), q.value(2).toLongLong(),
                           joinedSum(q.value(3).toLongLong(), q.value(4).toLongLong())});
    }
    return result;
}

QList<SalesCell> SalesAnalysis::salesCells(const SalesQuery &query, const QDate &from, const QDate &to) const
{
    const QString sql =
        QStringLiteral("SELECT period, cat_id, COUNT(*), CAST(COALESCE(SUM(summ), 0) AS BIGINT) FROM ("
                       " SELECT %1 AS period, p.cat_id AS cat_id, o.summ AS summ"
                       " FROM orders o LEFT JOIN projects p ON p.project_id = o.project_id"
                       " WHERE %2%3) s"
                       " GROUP BY period, cat_id ORDER BY period, cat_id")
            .arg(periodKey(query.period), QLatin1String(kDateRange),
                 query.catId != 0 ? QStringLiteral(" AND p.cat_id = :cat") : QString());
    QSqlQuery q = m_db->exec(sql, rangeParams(from, to, query.catId));
    QList<SalesCell> result;
    while (q.next())
        result.append({startOfKey(q.value(0).toString(), query.period), q.value(1).toInt(),
                       q.value(2).toLongLong(), moneyOf(q.value(3))});
    return result;
}

// The projects' names and categories, for the few projects of a top list.
QList<TopProject> SalesAnalysis::named(const std::vector<ProjectTotals::Total> &totals) const
{
    QStringList ids;
    for (const ProjectTotals::Total &t : totals)
        if (t.projectId)
            ids << QString::number(*t.projectId);
    QHash<qint64, QPair<QString, QString>> names;
    if (!ids.isEmpty()) {
        QSqlQuery q = m_db->exec(QStringLiteral("SELECT p.project_id, p.tovName, c.catName FROM projects p"
                                                " LEFT JOIN category c ON c.cat_id = p.cat_id"
                                                " WHERE p.project_id IN (%1)")
                                     .arg(ids.join(QLatin1Char(','))));
        while (q.next())
            names.insert(q.value(0).toLongLong(), {q.value(1).toString(), q.value(2).toString()});
    }
    QList<TopProject> result;
    for (const ProjectTotals::Total &t : totals) {
        const auto name = t.projectId ? names.value(*t.projectId) : QPair<QString, QString>();
        result.append({int(t.projectId.value_or(0)), name.first, name.second, t.count, Money::fromUnits(t.sum)});
    }
    return result;
}

// Totalled per project over the date index alone, so only the few largest are
// joined to their names; one category's projects come from its index. The
// file's range is totalled here, as its own grouping would sort it first.
QList<TopProject> SalesAnalysis::topProjects(const SalesQuery &query) const
{
    const QHash<QString, QVariant> params = rangeParams(query.from, query.to, query.catId);
    if (query.catId == 0) {
        const std::optional<ProjectTotals> totals =
            ProjectTotals::read(*m_db, params.value(QStringLiteral("from")).toString(),
                                params.value(QStringLiteral("until")).toString());
        if (totals && totals->overflow())
            tooLarge();
        if (totals)
            return named(totals->largest(query.topCount));
    }
    const QString category = query.catId != 0
        ? QStringLiteral(" AND o.project_id IN (SELECT project_id FROM projects WHERE cat_id = :cat)") : QString();
    const QString sql =
        QStringLiteral("SELECT t.project_id, p.tovName, c.catName, t.n, t.s FROM ("
                       " SELECT o.project_id AS project_id, COUNT(*) AS n,"
                       " CAST(COALESCE(SUM(o.summ), 0) AS BIGINT) AS s"
                       " FROM orders o WHERE %1%2"
                       " GROUP BY o.project_id ORDER BY s DESC, o.project_id LIMIT %3) t"
                       " LEFT JOIN projects p ON p.project_id = t.project_id"
                       " LEFT JOIN category c ON c.cat_id = p.cat_id"
                       " ORDER BY t.s DESC, t.project_id")
            .arg(QLatin1String(kDateRange), category)
            .arg(qMax(0, query.topCount));
    QSqlQuery q = m_db->exec(sql, params);
    QList<TopProject> result;
    while (q.next())
        result.append({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toLongLong(), moneyOf(q.value(4))});
    return result;
}

std::optional<QDate> SalesAnalysis::lastSaleDate() const
{
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT MAX(date_orders) FROM orders"));
    if (!q.next() || q.value(0).isNull())
        return std::nullopt;
    const QDate date = QDate::fromString(q.value(0).toString().left(10), Qt::ISODate);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QList<CategoryName> SalesAnalysis::categories() const
{
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT cat_id, catName FROM category ORDER BY catName"));
    QList<CategoryName> result;
    while (q.next())
        result.append({q.value(0).toInt(), q.value(1).toString()});
    return result;
}

QDate SalesAnalysis::periodStart(const QDate &date, SalesPeriod period)
{
    switch (period) {
    case SalesPeriod::Month:
        return QDate(date.year(), date.month(), 1);
    case SalesPeriod::Quarter:
        return QDate(date.year(), (date.month() - 1) / 3 * 3 + 1, 1);
    case SalesPeriod::Year:
        break;
    }
    return QDate(date.year(), 1, 1);
}

QDate SalesAnalysis::nextPeriod(const QDate &start, SalesPeriod period)
{
    switch (period) {
    case SalesPeriod::Month:
        return start.addMonths(1);
    case SalesPeriod::Quarter:
        return start.addMonths(3);
    case SalesPeriod::Year:
        break;
    }
    return start.addYears(1);
}

QString SalesAnalysis::periodLabel(const QDate &start, SalesPeriod period)
{
    static const char *const Quarters[] = {"I", "II", "III", "IV"};
    const QString year = QString::number(start.year());
    switch (period) {
    case SalesPeriod::Month:
        return QLocale(QLocale::Russian).standaloneMonthName(start.month(), QLocale::ShortFormat)
            + QLatin1Char(' ') + year;
    case SalesPeriod::Quarter:
        return QLatin1String(Quarters[(start.month() - 1) / 3]) + QStringLiteral(" кв. ") + year;
    case SalesPeriod::Year:
        break;
    }
    return year;
}
