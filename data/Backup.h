#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// Copies of the database file in a folder "backups" beside it, named after
// the moment they were made (db-2026-12-09_1830.mdb). Copies are taken with
// SQLite's online backup through a connection of their own, so they are
// consistent while the program or anyone else writes, and they can run on a
// worker thread. Failures throw DataError.
namespace Backup {

// done and total are bytes; returning false cancels the job.
using ProgressFn = std::function<bool(qint64 done, qint64 total)>;

const int Kept = 14;

// One copy as read from the copy itself.
struct Copy {
    QString path;
    QDateTime made;
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
// it was. False when cancelled.
bool copyDatabase(const QString &source, const QString &target, const ProgressFn &progress = {});

// A new copy of dbPath, then the oldest beyond Kept removed. Returns its path,
// or an empty text when cancelled (no partial copy is left).
QString make(const QString &dbPath, const ProgressFn &progress = {});

// The automatic copy: at most one a day, only when the file changed since the
// newest copy, and never from a read-only file or into a read-only folder.
// Returns the copy's path, or an empty text when none was due or possible.
QString makeIfDue(const QString &dbPath);

void rotate(const QString &dbPath, int keep = Kept);

// Replaces the data of dbPath with the copy's, after checking that the copy is
// a sound catalogue and making a copy of the current data. Others connected to
// the file see the restored data with their next statement. False when
// cancelled before the data was replaced; nothing is changed then.
bool restore(const QString &dbPath, const QString &copyPath, const ProgressFn &progress = {});

} // namespace Backup
