#pragma once

#include "data/legacy/LegacyCheck.h"
#include "data/sales/SalesSummary.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

class Database;
class JetFile;
namespace LegacyRules {
struct Table;
}

// The conversion of a legacy Access (Jet 4) catalogue into the program's
// own: every row checked against the catalogue's rules first, then written
// with its keys, exact money, dates and long values, and the repairs where
// the check found rows the rules refuse.
class LegacyConversion
{
public:
    // done of total rows, over the check and the writing together; false stops.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // Throws DataError naming what the file is when it is no Jet 4 file, or
    // no catalogue.
    explicit LegacyConversion(const QString &jetPath);
    ~LegacyConversion();

    // Reads every row the rules look at and plans the repairs. False when cancelled.
    bool check(const Progress &progress = {});
    // The rows the rules refuse, each with its repair; empty when the file
    // converts as it is.
    const QVector<LegacyProblem> &problems() const { return m_check.problems; }

    // Writes every row, with the repairs, into target (an empty catalogue,
    // open), in one transaction; each table is compared with what was read
    // before the commit. False when cancelled: nothing is written. Throws
    // DataError when the file can't be read or the target refuses a row.
    bool write(Database &target, const Progress &progress = {});

    // Lets go of the legacy file (which Windows would not let be renamed while
    // it is open); nothing can be read from it after.
    void closeSource();

    // What was done to single values beyond the repairs (pictures unwrapped
    // or dropped), one line each.
    const QStringList &notes() const { return m_notes; }
    // Rows written per table, as the user knows it.
    const QVector<QPair<QString, qint64>> &counts() const { return m_counts; }
    // The repairs row by row and the notes, as a text for a file or a console.
    QString reportText() const;
    bool hasReport() const { return !m_check.problems.isEmpty() || !m_notes.isEmpty(); }

private:
    void writeTable(Database &target, int table, const Progress &progress);
    bool step(const Progress &progress);
    bool tick(const Progress &progress);
    void count(const LegacyRules::Table &t, const QVector<QVariant> &values);
    qint64 progressTotal() const;

    std::unique_ptr<JetFile> m_file;
    LegacyCheck m_check;
    bool m_checked = false;
    qint64 m_total = 0;
    qint64 m_done = 0;
    bool m_cancelled = false;
    SalesSummary::Totals m_summary;
    QHash<qint64, qint64> m_categoryOf; // project key -> category key, 0 for none
    QStringList m_notes;
    QVector<QPair<QString, qint64>> m_counts;
};

// The problems as lines for a console or a file: table, key, column, value, rule, repair.
QStringList legacyProblemLines(const QVector<LegacyProblem> &problems);
