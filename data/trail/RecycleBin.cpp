#include "data/trail/RecycleBin.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"

#include <QSqlQuery>
#include <algorithm>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

const char *const kProjectColumns = "project_id, cat_id, year_id, version_id, tovName, price, description,"
                                    " screenshots, project_begin, project_end, datetime_update, path_repository,"
                                    " isExports, isExportsDesc";
const char *const kOrderColumns = "order_id, project_id, date_orders, summ, comments";

struct Reference {
    const char *table, *key, *name, *what;
};
const Reference kReferences[] = {{"category", "cat_id", "catName", "Категория"},
                                 {"years", "year_id", "name", "Год разработки"},
                                 {"ide", "version_id", "ide", "Версия IDE"}};

const Reference *reference(const QString &table)
{
    for (const Reference &r : kReferences)
        if (table == QLatin1String(r.table))
            return &r;
    return nullptr;
}

QString quoted(const QString &name)
{
    return QStringLiteral("«%1»").arg(name);
}

// "с 1 продажей", "с 21 продажей", "с 5 продажами".
QString withSales(int n)
{
    const bool one = n % 10 == 1 && n % 100 != 11;
    return QStringLiteral(" с %1 %2").arg(n).arg(one ? QStringLiteral("продажей") : QStringLiteral("продажами"));
}

// Reference-book entries go back first, then projects, then sales, so that
// what a row refers to is there before it.
int rank(const QString &table)
{
    return reference(table) ? 0 : table == QLatin1String("projects") ? 1 : 2;
}

bool exists(const Database &db, const QString &sql, qint64 key)
{
    return db.exec(sql, {{QStringLiteral("k"), key}}).next();
}

void restoreOne(Database &db, const RecycleBin::Entry &e)
{
    const QHash<QString, QVariant> id{{QStringLiteral("e"), e.id}};
    if (const Reference *r = reference(e.table)) {
        db.exec(QStringLiteral("INSERT INTO %1 (%2, %3) SELECT row_key, label FROM trail_bin WHERE entry_id = :e")
                    .arg(QLatin1String(r->table), QLatin1String(r->key), QLatin1String(r->name)),
                id);
    } else {
        if (e.table == QLatin1String("projects"))
            db.exec(QStringLiteral("INSERT INTO projects (%1) SELECT %1 FROM trail_bin_projects WHERE entry_id = :e")
                        .arg(QLatin1String(kProjectColumns)),
                    id);
        else if (e.projectId != 0
                 && !exists(db, QStringLiteral("SELECT 1 FROM projects WHERE project_id = :k"), e.projectId))
            throw DataError(QStringLiteral("Проект %1 этой продажи удалён: сначала восстановите проект.")
                                .arg(quoted(e.label)),
                            DataError::Kind::Conflict);
        db.exec(QStringLiteral("INSERT INTO orders (%1) SELECT %1 FROM trail_bin_orders WHERE entry_id = :e")
                    .arg(QLatin1String(kOrderColumns)),
                id);
    }
    db.exec(QStringLiteral("DELETE FROM trail_bin WHERE entry_id = :e"), id);
}

} // namespace

namespace RecycleBin {

QString Entry::what() const
{
    if (const Reference *r = reference(table))
        return QStringLiteral("%1 %2").arg(QString::fromUtf8(r->what), quoted(label));
    if (table == QLatin1String("projects"))
        return QStringLiteral("Проект %1").arg(quoted(label)) + (sales > 0 ? withSales(sales) : QString());
    const QString project = label.isEmpty() ? QStringLiteral("без проекта") : QStringLiteral("проекта ") + quoted(label);
    return sales > 1 ? QStringLiteral("Продажи %1 (%2)").arg(project).arg(sales)
                     : QStringLiteral("Продажа %1").arg(project);
}

QDateTime Entry::when() const
{
    return QDateTime::fromString(deletedAt, kTimeFormat);
}

QList<Entry> entries(const Database &db)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT b.entry_id, b.tbl, b.row_key, b.project_id, b.label, b.deleted_at, b.deleted_by,"
        " (SELECT COUNT(*) FROM trail_bin_orders o WHERE o.entry_id = b.entry_id)"
        " FROM trail_bin b ORDER BY b.deleted_at DESC, b.entry_id DESC"));
    QList<Entry> list;
    while (q.next())
        list.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toLongLong(), q.value(3).toLongLong(),
                     q.value(4).toString(), q.value(5).toString(), q.value(6).toString(), q.value(7).toInt()});
    return list;
}

QStringList restore(Database &db, const QList<qint64> &ids)
{
    QList<Entry> chosen;
    for (const Entry &e : entries(db))
        if (ids.contains(e.id))
            chosen << e;
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const Entry &a, const Entry &b) { return rank(a.table) < rank(b.table); });
    QStringList tables;
    db.transaction([&] {
        for (const Entry &e : std::as_const(chosen)) {
            restoreOne(db, e);
            if (!tables.contains(e.table))
                tables << e.table;
            if (e.sales > 0 && !tables.contains(QStringLiteral("orders")))
                tables << QStringLiteral("orders");
        }
    });
    return tables;
}

void erase(Database &db, const QList<qint64> &ids)
{
    db.transaction([&] {
        for (qint64 id : ids)
            db.exec(QStringLiteral("DELETE FROM trail_bin WHERE entry_id = :e"), {{QStringLiteral("e"), id}});
    });
}

void clear(Database &db)
{
    db.transaction([&] { db.exec(QStringLiteral("DELETE FROM trail_bin")); });
}

int purge(Database &db, const QDateTime &now)
{
    int erased = 0;
    db.transaction([&] {
        erased = db.exec(QStringLiteral("DELETE FROM trail_bin WHERE deleted_at < :t"),
                         {{QStringLiteral("t"), now.addDays(-KeepDays).toString(kTimeFormat)}})
                     .numRowsAffected();
    });
    return erased;
}

} // namespace RecycleBin
