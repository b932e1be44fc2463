#pragma once

#include "data/core/Money.h"
#include "data/sales/ProjectTotals.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

class Database;

enum class SalesPeriod { Month, Quarter, Year };

// What to total: sales dated from..to (both days included, any time of day),
// of one category or of all (catId 0).
struct SalesQuery {
    SalesPeriod period = SalesPeriod::Month;
    QDate from;
    QDate to;
    int catId = 0;
    int topCount = 10;
};

// Sales of one category in one period. catId is 0 for sales whose project
// has no category (or no longer exists).
struct SalesCell {
    QDate periodStart;
    int catId = 0;
    qint64 count = 0;
    Money sum;
};

struct SalesTotal {
    QDate periodStart; // invalid for the total of the whole range
    qint64 count = 0;
    Money sum;
    // Rounded half away from zero to the given decimals (at most 4); zero
    // when there are no sales.
    Money mean(int decimals = 4) const;
};

struct TopProject {
    int projectId = 0;
    QString name;
    QString category;
    qint64 count = 0;
    Money sum;
};

struct SalesReport {
    QList<SalesCell> cells;       // by period, then category id
    QList<SalesTotal> periods;    // every period of the range, in order
    SalesTotal total;
    QList<TopProject> topProjects; // largest sum first
};

struct CategoryName {
    int catId = 0;
    QString name;
};

// The sales figures of the analysis window, totalled by the database: the
// program reads one row per period (or month) and category, never the sales
// themselves.
// Money is summed as a 64-bit integer of ten-thousandths on every engine.
class SalesAnalysis
{
public:
    explicit SalesAnalysis(Database *db) : m_db(db) {}

    // Throws DataError.
    SalesReport run(const SalesQuery &query) const;
    // The topCount projects with the largest sums in the range, largest first.
    QList<TopProject> topProjects(const SalesQuery &query) const;
    // The date of the latest sale; none when there are no sales.
    std::optional<QDate> lastSaleDate() const;
    // Categories by name.
    QList<CategoryName> categories() const;

    // The first day of the period that holds date.
    static QDate periodStart(const QDate &date, SalesPeriod period);
    static QDate nextPeriod(const QDate &start, SalesPeriod period);
    // "янв. 2013", "II кв. 2013", "2013".
    static QString periodLabel(const QDate &start, SalesPeriod period);

private:
    QList<SalesCell> cells(const SalesQuery &query) const;
    // From the monthly totals, whole months first..last.
    QList<SalesCell> summaryCells(const SalesQuery &query, const QDate &first, const QDate &last) const;
    // From the sales themselves, days from..to.
    QList<SalesCell> salesCells(const SalesQuery &query, const QDate &from, const QDate &to) const;
    QList<TopProject> named(const std::vector<ProjectTotals::Total> &totals) const;

    Database *m_db;
};
