#pragma once

#include "data/trail/History.h"

#include <QHash>
#include <QList>
#include <QSet>

// The history as a window shows it: the newest entries first and older ones
// a page at a time, by ranges of keys; then what other writers add, each
// entry read once.
namespace History {

class Reader
{
public:
    Reader(const Database &db, Filter filter, int pageSize = 2000);

    // The next page down, newest first: pageSize entries the text lets
    // through, fewer at the end of the history.
    QList<Change> older();
    bool atEnd() const { return m_atEnd; }

    struct News {
        QList<Change> changes;        // newest first
        QHash<qint64, QString> names; // projects named anew, by key (empty: gone)
        bool reread = false;          // what was read may no longer hold: read again from the top
    };
    // The entries committed since the last look.
    News newer();

    // Entries read from the catalogue so far, matched or not.
    qint64 rowsRead() const { return m_rowsRead; }

private:
    // The newest key committed at a moment and, on a server, the newest
    // transaction then open (0: none), which may still commit older keys.
    struct Mark {
        qint64 last = 0, open = 0, oldestRunning = 0;
        bool rereadWhenSettled = false;
    };
    Mark mark() const;
    void settle(const Mark &now, News &news);
    QList<Change> fresh(QList<Change> rows);
    bool shownStillThere() const;
    QHash<qint64, QString> namesAfter(qint64 key) const;

    const Database &m_db;
    Filter m_filter;
    int m_pageSize;
    bool m_started = false, m_atEnd = false;
    bool m_byTime = false; // a narrow period, read through the time's index
    qint64 m_before = 0;   // the next page reads keys below it (0: from the top)
    qint64 m_settled = 0;  // every key up to it is committed or never will be
    QList<Mark> m_pending;
    QSet<qint64> m_above; // keys read above m_settled
    qint64 m_newest = 0, m_oldest = 0;
    qint64 m_rowsRead = 0;
};

} // namespace History
