#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// Copies of the database file in a folder "backups" beside it, named after
// the moment they were made and their kind (db-2026-12-09_183005.mdb,
// db-2026-12-09_183005-manual.mdb). Copies are taken with SQLite's online
// backup through a connection of their own, so they are consistent while the
// program or anyone else writes, and they can run on a worker thread.
// Failures throw DataError.
namespace Backup {

// done and total are bytes; returning false cancels the job.
using ProgressFn = std::function<bool(qint64 done, qint64 total)>;

// Each kind is kept apart, up to a limit of its own: the copies of one kind
// never push out those of another.
enum class Kind { Daily, Manual, BeforeRestore };
int limit(Kind kind);

// How long a copy waits for a file another program holds before it gives up.
const int BusyWaitMs = 30000;

// One copy as read from the copy itself.
struct Copy {
    QString path;
    QDateTime made;
    Kind kind = Kind::Daily;
    qint64 size = 0;
    qint64 projects = 0;
    qint64 orders = 0;
    QString problem; // why the copy is no catalogue of the program; empty when it is
    bool isUsable() const { return problem.isEmpty(); }
};

QString folderOf(const QString &dbPath);

// The copies of dbPath's folder, newest first, each with its counts. A full
// check reads every page (slow on a large copy); without it only the tables
// and the counts are checked.
Copy inspect(const QString &path, bool fullCheck = false);
QList<Copy> list(const QString &dbPath);

// Writes source into target page by page. Into an existing target the pages
// are written in one transaction, so a cancelled or failed copy leaves it as
// it was. A file another program holds is waited for up to busyWaitMs, and
// the wait can be cancelled. False when cancelled.
bool copyDatabase(const QString &source, const QString &target, const ProgressFn &progress = {},
                  int busyWaitMs = BusyWaitMs);

// A new copy of dbPath, then the oldest of its kind beyond the limit
// removed. Returns its path, or an empty text when cancelled (no partial copy
// is left). What a copy that was stopped midway left (a killed program) is
// removed first.
QString make(const QString &dbPath, Kind kind = Kind::Manual, const ProgressFn &progress = {});

// The daily copy: at most one a day, only when the file changed since the
// newest copy, and never from a read-only file or into a read-only folder.
// Returns the copy's path, or an empty text when none was due or possible
// or it was cancelled; throws DataError when it failed.
QString makeIfDue(const QString &dbPath, const ProgressFn &progress = {});

// Replaces the data of dbPath with the copy's, after checking that the copy is
// a sound catalogue and making a copy of the current data (of the kind
// BeforeRestore). The data written carries the program's sales summary and
// triggers and its journal mode, whatever the copy had. Others connected to
// the file see the restored data with their next statement. Returns the copy
// of the data replaced, or an empty text when cancelled before the data was
// replaced; nothing is changed then.
QString restore(const QString &dbPath, const QString &copyPath, const ProgressFn &progress = {});

} // namespace Backup
