#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class Database;

// The recycle bin: what the catalogue's triggers keep of every delete (see
// Trail), listed, put back with its own keys, or erased.
namespace RecycleBin {

// Entries older than this are erased at start-up.
constexpr int KeepDays = 90;

struct Entry {
    qint64 id = 0;
    QString table;      // projects, orders, category, years, ide
    qint64 key = 0;     // the deleted row's key (a project's for a project)
    qint64 projectId = 0;
    QString label;      // the name of the row, or of a sale's project
    QString deletedAt;  // YYYY-MM-DD HH:MM:SS, the catalogue's clock
    QString deletedBy;  // empty when the writer did not say
    int sales = 0;      // the sales in the entry

    // What was deleted, in the words of the bin window.
    QString what() const;
    QDateTime when() const;
};

// Newest first.
QList<Entry> entries(const Database &db);

// Asked about a restore that can't go as it is (a name taken meanwhile, a
// category, year or IDE version or a sale's project in the bin); true goes
// on as the question offers, false refuses the whole restore.
using Ask = std::function<bool(const QString &question)>;

// Puts the entries back with their original keys, a project with its sales,
// all or none; the tables written, for the lists to follow. Throws DataError
// with a Russian text when a row can't go back (Conflict when it was refused
// or can't be offered); without ask every such restore is refused.
QStringList restore(Database &db, const QList<qint64> &ids, const Ask &ask = {});

// The newest entry there is; 0 for none.
qint64 lastEntry(const Database &db);
// The newest entry after entry `after` that the connection's own user
// deleted (the server's role, or the login name on the file); 0 for none.
qint64 lastDeletedByUser(const Database &db, qint64 after);
// One entry; its id is 0 when it is not in the bin.
Entry entry(const Database &db, qint64 id);

void erase(Database &db, const QList<qint64> &ids);
void clear(Database &db);
// Erases what was deleted more than KeepDays before now; the count erased.
int purge(Database &db, const QDateTime &now);

} // namespace RecycleBin
