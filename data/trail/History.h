#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class Database;

// The history of changes the catalogue's triggers record (see Trail): every
// insert, change of a field, delete and restore of a project, a sale and a
// reference-book entry, with the time and the user.
namespace History {

struct Change {
    qint64 id = 0;
    QString changedAt;    // YYYY-MM-DD HH:MM:SS, the catalogue's clock
    QString changedBy;    // empty when the writer did not say
    QString table;        // projects, orders, category, years, ide
    qint64 key = 0;       // the changed row's
    qint64 projectId = 0; // the project of the row, a sale's too
    QString action;       // insert, update, delete, restore
    QString field;        // the changed column of an update
    QString oldValue, newValue;
    QString projectName;  // as the project is named now; empty when not read or gone

    // In the words of the history window.
    QString tableText() const;
    QString actionText() const;
    QString fieldText() const;
    // What was changed: "Проект «Касса»", "Продажа 12 проекта «Касса»", or
    // without the project's name "Проект, код 3", "Продажа 12".
    QString what() const;
    // A value as the user knows it: money in roubles, a date as dd.MM.yyyy,
    // a picture by its size.
    QString shown(const QString &value) const;
};

// Empty or zero parts filter nothing. The text is looked for, whatever its
// case, in the values, the user and the project's name.
struct Filter {
    qint64 projectId = 0; // a project and its sales
    QString user;
    QDate from, to;       // both days included
    QString table;
    QString text;
};

// Newest first. With no project filtered the project's name is read too.
QList<Change> changes(const Database &db, const Filter &filter);
// The same by a range of keys, after < key < before (0: no bound), at most
// limit entries (0: all), the text not matched: keys ascend in the order
// entries are made, so pages of them are read through the key's index. A
// period is looked up by the time's index only byTime: for a narrow one.
QList<Change> read(const Database &db, const Filter &filter, qint64 after, qint64 before, int limit,
                   bool byTime);
// Whether the period of the filter spans fewer than about that many
// entries, by the keys at its ends (times ascend with keys but for a clock
// put back): a page of it is then best found through the time's index.
bool narrowPeriod(const Database &db, const Filter &filter, int entries);
// Whether the text filter lets the change through.
bool matches(const Change &c, const QString &text);
// The users the history names, in order; of one project and its sales, or
// (0) of everything.
QStringList users(const Database &db, qint64 projectId = 0);
// The tables a filter may name, with their words, in the window's order.
QList<QPair<QString, QString>> tables();

} // namespace History
