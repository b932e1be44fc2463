#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

class JetFile;

// One value of a legacy row that the catalogue's rules refuse, and the
// repair that a conversion with repairs makes of it.
struct LegacyProblem {
    QString table;   // as the user knows it: "Категории"
    QString key;     // the row's key, or "строка N" in a table without one
    QString column;
    QString value;   // as shown: "NULL", the number, the text (long ones cut)
    QString rule;
    QString repair;
};

// What the repairs change: new values of refused rows, and rows made for
// references to rows that are not there.
struct LegacyRepairs {
    // Per table, per row key (or row number), the new values by column index.
    QHash<QString, QHash<qint64, QVector<QPair<int, QVariant>>>> values;
    // Per table, rows to add after its own, every column's value.
    QHash<QString, QVector<QVector<QVariant>>> created;
    // Per table, the key counter to set: past every key, kept or made.
    QHash<QString, qint64> lastKey;
};

struct LegacyCheck {
    QVector<LegacyProblem> problems;
    LegacyRepairs repairs;
};

// Reads the columns that the rules look at, every row, and plans the
// repairs. progress gets the rows read so far and returns false to stop,
// which throws LegacyCancelled. Throws DataError when the file is no
// catalogue (a table or column missing, or of another type).
LegacyCheck checkLegacy(const JetFile &file, const std::function<bool(qint64)> &progress);

// The catalogue's tables and columns are all in the file, each of a type
// that converts; throws DataError(NotADatabase) naming the first that is not.
void requireLegacyCatalogue(const JetFile &file);

struct LegacyCancelled {};
