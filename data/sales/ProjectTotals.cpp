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

const char *const TotalsFunction = "ps_project_totals";

// What a value holds, as a whole number or none; false for anything else.
bool wholeNumber(sqlite3_value *v, std::optional<qint64> &value)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        value = sqlite3_value_int64(v);
        return true;
    case SQLITE_NULL:
        value.reset();
        return true;
    default:
        return false;
    }
}

struct Reading {
    ProjectTotals totals;
    bool wholeNumbers = true;
};

// The reading a statement of this thread is stepping through: a pointer
// bound as an argument would be looked up again on every sale.
thread_local Reading *current = nullptr;

// Each sale handed to the totals inside the statement: a result row per
// sale costs SQLite more than the index read itself.
void addSale(sqlite3_context *, int, sqlite3_value **values)
{
    Reading *reading = current;
    std::optional<qint64> project, sum;
    if (!reading || !reading->wholeNumbers)
        return;
    if (wholeNumber(values[0], project) && wholeNumber(values[1], sum))
        reading->totals.add(project, sum);
    else
        reading->wholeNumbers = false;
}

void noResult(sqlite3_context *context)
{
    sqlite3_result_null(context);
}

} // namespace

std::optional<ProjectTotals> ProjectTotals::read(const Database &db, const QString &from, const QString &until)
{
    sqlite3 *file = db.fileHandle();
    if (!file)
        return std::nullopt;
    Statement s;
    const auto prepare = [&] {
        return sqlite3_prepare_v2(file,
                                  "SELECT ps_project_totals(project_id, summ) FROM orders"
                                  " WHERE date_orders >= ?1 AND date_orders < ?2",
                                  -1, &s.handle, nullptr) == SQLITE_OK;
    };
    // Defined once per connection: defining it again would make SQLite
    // prepare every other statement of the connection anew.
    if (!prepare()) {
        sqlite3_create_function_v2(file, TotalsFunction, 2, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr, nullptr,
                                   addSale, noResult, nullptr);
        if (!prepare())
            return std::nullopt;
    }
    const QByteArray first = from.toUtf8(), after = until.toUtf8();
    Reading reading;
    sqlite3_bind_text(s.handle, 1, first.constData(), int(first.size()), SQLITE_STATIC);
    sqlite3_bind_text(s.handle, 2, after.constData(), int(after.size()), SQLITE_STATIC);
    current = &reading;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(s.handle)) == SQLITE_ROW) {
    }
    current = nullptr;
    // A failure, or a value that is no whole number, is the database's to
    // report or total, through its own grouping.
    if (rc != SQLITE_DONE || !reading.wholeNumbers)
        return std::nullopt;
    return std::optional<ProjectTotals>(std::move(reading.totals));
}

ProjectTotals::Counted &ProjectTotals::totalOf(std::optional<qint64> projectId)
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
    Counted &t = totalOf(projectId);
    ++t.count;
    if (sum && qAddOverflow(t.sum, *sum, &t.sum))
        m_overflow = true;
}

// Only the n best are kept while the totals are looked through: most
// projects of a long range have a sale, and sorting them all costs more.
// A dense key below the worst kept is passed over without a call.
std::vector<ProjectTotals::Total> ProjectTotals::largest(int n) const
{
    const auto key = [](const Total &t) { return t.projectId.value_or(std::numeric_limits<qint64>::min()); };
    const auto before = [&key](const Total &a, const Total &b) {
        return a.sum != b.sum ? a.sum > b.sum : key(a) < key(b);
    };
    const size_t kept = size_t(std::max(0, n));
    std::vector<Total> best; // a heap whose first is the worst kept
    best.reserve(kept + 1);
    const auto offer = [&](std::optional<qint64> projectId, const Counted &c) {
        if (c.count == 0 || kept == 0)
            return;
        const Total t{projectId, c.count, c.sum};
        if (best.size() == kept) {
            if (!before(t, best.front()))
                return;
            std::pop_heap(best.begin(), best.end(), before);
            best.pop_back();
        }
        best.push_back(t);
        std::push_heap(best.begin(), best.end(), before);
    };
    offer(std::nullopt, m_none);
    for (auto it = m_other.constBegin(); it != m_other.constEnd(); ++it)
        offer(it.key(), *it);
    const Counted *const byId = m_byId.data();
    for (size_t id = 0, end = m_byId.size(); id < end; ++id) {
        if (byId[id].count == 0 || (best.size() == kept && byId[id].sum < best.front().sum))
            continue;
        offer(qint64(id), byId[id]);
    }
    std::sort_heap(best.begin(), best.end(), before);
    return best;
}
