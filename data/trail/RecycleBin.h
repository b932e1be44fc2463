#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

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

// Puts the entries back with their original keys, a project with its sales,
// all or none; the tables written, for the lists to follow. Throws DataError
// with a Russian text when a row can't go back.
QStringList restore(Database &db, const QList<qint64> &ids);

void erase(Database &db, const QList<qint64> &ids);
void clear(Database &db);
// Erases what was deleted more than KeepDays before now; the count erased.
int purge(Database &db, const QDateTime &now);

} // namespace RecycleBin
