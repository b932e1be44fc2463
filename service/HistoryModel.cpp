#include "service/HistoryModel.h"

#include "data/core/DataError.h"

HistoryModel::HistoryModel(QStringList titles, Cell cell, QObject *parent)
    : ListModel(std::move(titles), std::move(cell), parent)
{}

HistoryModel::~HistoryModel() = default;

void HistoryModel::open(const Database *db, const History::Filter &filter)
{
    m_db = db;
    m_filter = filter;
    m_reader.reset();
    m_error.clear();
    QList<History::Change> first;
    if (db) {
        m_reader = std::make_unique<History::Reader>(*db, filter, m_pageSize);
        try {
            first = m_reader->older();
        } catch (const DataError &e) {
            m_reader.reset();
            m_error = e.text().section(QLatin1Char('\n'), 0, 0);
        }
    }
    setRows(std::move(first));
    if (m_onRead)
        m_onRead();
}

void HistoryModel::follow()
{
    if (!m_reader)
        return;
    History::Reader::News news;
    try {
        news = m_reader->newer();
    } catch (const DataError &e) {
        m_error = e.text().section(QLatin1Char('\n'), 0, 0);
        if (m_onRead)
            m_onRead();
        return;
    }
    m_error.clear();
    if (news.reread) {
        open(m_db, m_filter);
        return;
    }
    rename(news.names);
    putIn(std::move(news.changes));
    if (m_onRead)
        m_onRead();
}

// Each where its key puts it, newest first: most often all on top, but a
// server's transaction may commit after a later one.
void HistoryModel::putIn(QList<History::Change> news)
{
    const auto newer = [](const History::Change &row, qint64 key) { return row.id > key; };
    while (!news.isEmpty()) {
        const int at = int(std::lower_bound(rows().begin(), rows().end(), news.first().id, newer)
                           - rows().begin());
        // news is newest first: those newer than the row at that place go before it together.
        const qint64 floor = at < rows().size() ? rows()[at].id : 0;
        int take = 1;
        while (take < news.size() && news[take].id > floor)
            ++take;
        insertRowsAt(at, news.mid(0, take));
        news.remove(0, take);
    }
}

void HistoryModel::rename(const QHash<qint64, QString> &names)
{
    if (names.isEmpty())
        return;
    changeRows([&](History::Change &row) {
        const auto it = names.constFind(row.projectId);
        if (it == names.cend() || row.projectName == *it)
            return false;
        row.projectName = *it;
        return true;
    });
}

bool HistoryModel::allRead() const
{
    return !m_reader || m_reader->atEnd();
}

qint64 HistoryModel::rowsRead() const
{
    return m_reader ? m_reader->rowsRead() : 0;
}

bool HistoryModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !allRead();
}

void HistoryModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || allRead())
        return;
    try {
        const QList<History::Change> more = m_reader->older();
        insertRowsAt(int(rows().size()), more);
    } catch (const DataError &e) {
        // Read no further: the caption says why.
        m_reader.reset();
        m_error = e.text().section(QLatin1Char('\n'), 0, 0);
    }
    if (m_onRead)
        m_onRead();
}
