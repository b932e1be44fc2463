#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

class Database;

// The sales of a date range totalled per project by the program itself, read
// from the file's (date, project, sum) index: the file's own grouping sorts
// every sale of the range first, which on a large catalogue takes many times
// longer. Sums are exact 64-bit counts.
class ProjectTotals
{
public:
    struct Total {
        std::optional<qint64> projectId; // none: sales of no project
        qint64 count = 0;
        qint64 sum = 0;
    };

    // The sales dated from <= date < until; nothing where the database must
    // group them itself (a server, or a value that is not a whole number).
    // overflow tells of a sum past 64 bits.
    static std::optional<ProjectTotals> read(const Database &db, const QString &from, const QString &until);

    // The n largest sums, largest first, equal sums by project (none first),
    // as the database orders them.
    std::vector<Total> largest(int n) const;
    bool overflow() const { return m_overflow; }

    void add(std::optional<qint64> projectId, std::optional<qint64> sum);

private:
    struct Counted {
        qint64 count = 0;
        qint64 sum = 0;
    };
    Counted &totalOf(std::optional<qint64> projectId);

    std::vector<Counted> m_byId; // the usual small keys, by key: half the size of Total
    QHash<qint64, Counted> m_other;
    Counted m_none;
    bool m_overflow = false;
};
