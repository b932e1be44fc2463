#include "data/sales/ProjectTotals.h"

#include "data/engine/Database.h"

#include <QByteArray>
#include <algorithm>
#include <limits>
#include <sqlite3.h>

namespace {

// Keys below this are held in a plain array: a catalogue's keys count from 1.
constexpr qint64 DenseKeys = qint64(1) << 22;

struct Statement {
    sqlite3_stmt *handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

// What a column holds, as a whole number or none; false for anything else.
bool wholeNumber(sqlite3_stmt *s, int column, std::optional<qint64> &value)
{
    switch (sqlite3_column_type(s, column)) {
    case SQLITE_INTEGER:
        value = sqlite3_column_int64(s, column);
        return true;
    case SQLITE_NULL:
        value.reset();
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<ProjectTotals> ProjectTotals::read(const Database &db, const QString &from, const QString &until)
{
    sqlite3 *file = db.fileHandle();
    if (!file)
        return std::nullopt;
    Statement s;
    if (sqlite3_prepare_v2(file, "SELECT project_id, summ FROM orders WHERE date_orders >= ?1 AND date_orders < ?2",
                           -1, &s.handle, nullptr) != SQLITE_OK)
        return std::nullopt;
    const QByteArray first = from.toUtf8(), after = until.toUtf8();
    sqlite3_bind_text(s.handle, 1, first.constData(), int(first.size()), SQLITE_STATIC);
    sqlite3_bind_text(s.handle, 2, after.constData(), int(after.size()), SQLITE_STATIC);
    ProjectTotals totals;
    int rc = SQLITE_ROW;
    std::optional<qint64> project, sum;
    while ((rc = sqlite3_step(s.handle)) == SQLITE_ROW) {
        if (!wholeNumber(s.handle, 0, project) || !wholeNumber(s.handle, 1, sum))
            return std::nullopt;
        totals.add(project, sum);
    }
    // A failure is the database's to report, through its own grouping.
    return rc == SQLITE_DONE ? std::optional<ProjectTotals>(std::move(totals)) : std::nullopt;
}

ProjectTotals::Total &ProjectTotals::totalOf(std::optional<qint64> projectId)
{
    if (!projectId)
        return m_none;
    const qint64 id = *projectId;
    if (id < 0 || id >= DenseKeys)
        return m_other[id];
    if (id >= qint64(m_byId.size()))
        m_byId.resize(std::max<size_t>(size_t(id) + 1, m_byId.size() * 2));
    return m_byId[size_t(id)];
}

void ProjectTotals::add(std::optional<qint64> projectId, std::optional<qint64> sum)
{
    Total &t = totalOf(projectId);
    ++t.count;
    if (sum && qAddOverflow(t.sum, *sum, &t.sum))
        m_overflow = true;
}

std::vector<ProjectTotals::Total> ProjectTotals::largest(int n) const
{
    std::vector<Total> all;
    if (m_none.count > 0)
        all.push_back(m_none);
    for (size_t id = 0; id < m_byId.size(); ++id) {
        if (m_byId[id].count > 0) {
            all.push_back(m_byId[id]);
            all.back().projectId = qint64(id);
        }
    }
    for (auto it = m_other.constBegin(); it != m_other.constEnd(); ++it) {
        all.push_back(*it);
        all.back().projectId = it.key();
    }
    const auto key = [](const Total &t) { return t.projectId.value_or(std::numeric_limits<qint64>::min()); };
    const auto before = [&key](const Total &a, const Total &b) {
        return a.sum != b.sum ? a.sum > b.sum : key(a) < key(b);
    };
    const size_t kept = std::min(all.size(), size_t(std::max(0, n)));
    std::partial_sort(all.begin(), all.begin() + std::ptrdiff_t(kept), all.end(), before);
    all.resize(kept);
    return all;
}
