#include "data/trail/HistoryReader.h"

#include "data/engine/Database.h"

#include <QSqlQuery>
#include <QVariant>

namespace History {

Reader::Reader(const Database &db, Filter filter, int pageSize)
    : m_db(db), m_filter(std::move(filter)), m_pageSize(std::max(1, pageSize))
{}

// The file's writers take turns, so its keys are committed in their order.
// A server hands keys out as rows are made and a transaction may commit
// after a later one: keys up to the newest committed are settled only once
// every transaction open at that moment has ended.
Reader::Mark Reader::mark() const
{
    if (m_db.isFile()) {
        QSqlQuery q = m_db.exec(QStringLiteral("SELECT MAX(change_id) FROM trail_history"));
        return {q.next() ? q.value(0).toLongLong() : 0, 0, 0};
    }
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT (SELECT MAX(change_id) FROM trail_history),"
                                           " pg_snapshot_xmin(s)::text::bigint,"
                                           " (SELECT MAX(x::text::bigint) FROM pg_snapshot_xip(s) x)"
                                           " FROM pg_current_snapshot() s"));
    if (!q.next())
        return {};
    return {q.value(0).toLongLong(), q.value(2).toLongLong(), q.value(1).toLongLong()};
}

// Rows not read before, those the text lets through.
QList<Change> Reader::fresh(QList<Change> rows)
{
    m_rowsRead += rows.size();
    QList<Change> out;
    for (Change &c : rows) {
        if (c.id > m_settled && m_above.contains(c.id))
            continue;
        if (c.id > m_settled)
            m_above.insert(c.id);
        if (!matches(c, m_filter.text))
            continue;
        m_newest = std::max(m_newest, c.id);
        m_oldest = m_oldest == 0 ? c.id : std::min(m_oldest, c.id);
        out.append(std::move(c));
    }
    return out;
}

QList<Change> Reader::older()
{
    if (!m_started) {
        m_started = true;
        m_byTime = narrowPeriod(m_db, m_filter, 8 * m_pageSize);
        Mark start = mark();
        m_settled = start.last;
        // Keys a transaction open now holds may be anywhere below: once it
        // ends, all is read again.
        if (start.open != 0) {
            start.rereadWhenSettled = true;
            m_pending.append(start);
        }
    }
    QList<Change> out;
    while (!m_atEnd && out.size() < m_pageSize) {
        QList<Change> rows = read(m_db, m_filter, 0, m_before, m_pageSize, m_byTime);
        m_atEnd = rows.size() < m_pageSize;
        if (!rows.isEmpty())
            m_before = rows.last().id;
        out.append(fresh(std::move(rows)));
    }
    return out;
}

Reader::News Reader::newer()
{
    News news;
    if (!m_started)
        return news;
    const Mark now = mark();
    if (!shownStillThere()) {
        news.reread = true;
        return news;
    }
    news.changes = fresh(read(m_db, m_filter, m_settled, 0, 0, false));
    if (m_filter.projectId == 0)
        news.names = namesAfter(m_settled);
    // A name the text was matched against changed.
    news.reread = !news.names.isEmpty() && !m_filter.text.isEmpty();
    settle(now, news);
    return news;
}

void Reader::settle(const Mark &now, News &news)
{
    m_pending.append(now);
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->open != 0 && it->open >= now.oldestRunning) {
            ++it;
            continue;
        }
        m_settled = std::max(m_settled, it->last);
        news.reread = news.reread || it->rereadWhenSettled;
        it = m_pending.erase(it);
    }
    m_above.removeIf([this](qint64 key) { return key <= m_settled; });
}

// The newest and the oldest entry shown are still there: the history was not
// emptied nor the catalogue put back to an older copy.
bool Reader::shownStillThere() const
{
    if (m_newest == 0)
        return true;
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT COUNT(*) FROM trail_history WHERE change_id IN (:a, :b)"),
                            {{QStringLiteral("a"), m_newest}, {QStringLiteral("b"), m_oldest}});
    return q.next() && q.value(0).toLongLong() == (m_newest == m_oldest ? 1 : 2);
}

// Entries already read show a project by its name as it is now: the
// projects renamed, deleted or put back since, with their names now.
QHash<qint64, QString> Reader::namesAfter(qint64 key) const
{
    // By the key's range: a DISTINCT would walk the project index whole.
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT project_id FROM trail_history WHERE change_id > :k"
                                           " AND tbl = 'projects' AND (action <> 'update' OR field = 'tovName')"),
                            {{QStringLiteral("k"), key}});
    QHash<qint64, QString> names;
    while (q.next())
        names.insert(q.value(0).toLongLong(), QString());
    if (names.isEmpty())
        return names;
    QStringList keys;
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        keys << QString::number(it.key());
    QSqlQuery now = m_db.exec(
        QStringLiteral("SELECT project_id, \"tovName\" FROM projects WHERE project_id IN (%1)")
            .arg(keys.join(QLatin1Char(','))));
    while (now.next())
        names.insert(now.value(0).toLongLong(), now.value(1).toString());
    return names;
}

} // namespace History
