#include "data/legacy/BulkLoad.h"

#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/sales/SalesSummary.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {

// Calls the tick every 100 ms from inside SQLite's long statements.
struct Ticker {
    const std::function<bool()> &tick;
    QElapsedTimer clock;
    static int onProgress(void *self)
    {
        auto *t = static_cast<Ticker *>(self);
        if (t->clock.elapsed() < 100)
            return 0;
        t->clock.restart();
        return t->tick() ? 0 : 1;
    }
};

} // namespace

void BulkLoad::prepare(Database &db)
{
    if (db.engine().kind() != Engine::Kind::File)
        return;
    // The indexes are sorted in runs of the cache's size: 8 MB keeps each
    // run short enough for the progress to move and a cancel to be seen (a
    // cache that holds all the sales sorts them in one step of over a second).
    db.exec(QStringLiteral("PRAGMA cache_size = -8192"));
    // No waiting for the disk at the commit: the catalogue was empty, so a
    // crash before the rows reach the disk loses only what its source still
    // holds (the conversion's source is kept beside the new catalogue).
    db.exec(QStringLiteral("PRAGMA synchronous = OFF"));
}

BulkLoad::BulkLoad(Database &db) : m_db(db)
{
    if (db.engine().kind() != Engine::Kind::File)
        return;
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND ("
        " (type = 'index' AND sql NOT LIKE 'CREATE UNIQUE%') OR (type = 'trigger' AND sql LIKE '%sales_month%'))"
        " ORDER BY rowid"));
    QStringList drops;
    while (q.next()) {
        drops << QStringLiteral("DROP %1 %2").arg(q.value(0).toString().toUpper(), q.value(1).toString());
        m_restore << q.value(2).toString();
    }
    for (const QString &drop : drops)
        db.exec(drop);
}

void BulkLoad::finish(const SalesSummary::Totals &totals, const std::function<bool()> &tick)
{
    if (m_db.engine().kind() != Engine::Kind::File)
        return;
    sqlite3 *handle = m_db.fileHandle();
    Ticker ticker{tick, {}};
    ticker.clock.start();
    if (handle)
        sqlite3_progress_handler(handle, 1000, &Ticker::onProgress, &ticker);
    try {
        for (const QString &statement : m_restore)
            m_db.exec(statement);
        totals.store(m_db);
    } catch (...) {
        if (handle)
            sqlite3_progress_handler(handle, 0, nullptr, nullptr);
        throw;
    }
    if (handle)
        sqlite3_progress_handler(handle, 0, nullptr, nullptr);
}
