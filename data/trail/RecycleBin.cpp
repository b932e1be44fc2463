#include "data/trail/RecycleBin.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/trail/Trail.h"

#include <QSet>
#include <QSqlQuery>
#include <algorithm>
#include <optional>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kRestoredMark = QStringLiteral(" (восстановлен)");

const char *const kProjectColumns = "project_id, cat_id, year_id, version_id, tovName, price, description,"
                                    " screenshots, project_begin, project_end, datetime_update, path_repository,"
                                    " isExports, isExportsDesc";
const char *const kOrderColumns = "order_id, project_id, date_orders, summ, comments";

struct Reference {
    const char *table, *key, *name, *what, *ofProject, *gone;
    int length;
};
const Reference kReferences[] = {
    {"category", "cat_id", "catName", "Категория", "его категория", "его категория удалена навсегда", 50},
    {"years", "year_id", "name", "Год разработки", "его год разработки", "его год разработки удалён навсегда", 4},
    {"ide", "version_id", "ide", "Версия IDE", "его версия IDE", "его версия IDE удалена навсегда", 25}};

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

RecycleBin::Entry entryFrom(const QSqlQuery &q)
{
    return {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toLongLong(), q.value(3).toLongLong(),
            q.value(4).toString(),   q.value(5).toString(), q.value(6).toString(),   q.value(7).toInt()};
}

const char *const kEntrySql = "SELECT b.entry_id, b.tbl, b.row_key, b.project_id, b.label, b.deleted_at, b.deleted_by,"
                              " (SELECT COUNT(*) FROM trail_bin_orders o WHERE o.entry_id = b.entry_id)"
                              " FROM trail_bin b";

QVariant scalar(const Database &db, const QString &sql, const QHash<QString, QVariant> &params)
{
    QSqlQuery q = db.exec(sql, params);
    return q.next() ? q.value(0) : QVariant();
}

// One restore: each entry goes back once, what it needs first; any refusal
// throws, and the transaction around it takes everything back.
class Restorer
{
public:
    // A question not answered yet ends the attempt: it is asked outside the
    // transaction, so no other writer waits for the user.
    struct Question {
        QString text;
    };
    Restorer(Database &db, const QHash<QString, bool> &answers) : m_db(db), m_answers(answers) {}

    void entry(const RecycleBin::Entry &e);
    QStringList tables() const { return m_tables; }

private:
    std::optional<RecycleBin::Entry> inBin(const QString &table, qint64 key) const;
    bool ask(const QString &question) const
    {
        const auto it = m_answers.constFind(question);
        if (it == m_answers.constEnd())
            throw Question{question};
        return *it;
    }
    [[noreturn]] void refuse(const QString &text) const { throw DataError(text, DataError::Kind::Conflict); }
    QString freeName(const QString &table, const QString &column, const QString &name, int length);
    void references(qint64 entryId, const QString &project);
    void project(const RecycleBin::Entry &e);
    void sales(const RecycleBin::Entry &e);
    void touched(const QString &table)
    {
        if (!m_tables.contains(table))
            m_tables << table;
    }

    Database &m_db;
    const QHash<QString, bool> &m_answers;
    QSet<qint64> m_done;
    QStringList m_tables;
};

std::optional<RecycleBin::Entry> Restorer::inBin(const QString &table, qint64 key) const
{
    QSqlQuery q = m_db.exec(QString::fromLatin1(kEntrySql)
                                + QStringLiteral(" WHERE b.tbl = :t AND b.row_key = :k ORDER BY b.entry_id DESC"),
                            {{QStringLiteral("t"), table}, {QStringLiteral("k"), key}});
    if (!q.next())
        return std::nullopt;
    return entryFrom(q);
}

// The name, or, when another row has it now and the user agrees, the name
// marked as restored.
QString Restorer::freeName(const QString &table, const QString &column, const QString &name, int length)
{
    const auto taken = [&](const QString &n) {
        return scalar(m_db, QStringLiteral("SELECT 1 FROM %1 WHERE %2 = :n").arg(table, column),
                      {{QStringLiteral("n"), n}})
            .isValid();
    };
    if (!taken(name))
        return name;
    const QString refusal = QStringLiteral("Не восстановлено: название %1 уже занято.").arg(quoted(name));
    const QString renamed = name.left(length - int(kRestoredMark.size())) + kRestoredMark;
    if (length <= kRestoredMark.size() || taken(renamed))
        refuse(refusal);
    if (!ask(QStringLiteral("Название %1 уже занято. Восстановить под названием %2?").arg(quoted(name), quoted(renamed))))
        refuse(refusal);
    return renamed;
}

// A category, year or IDE version the project had that was deleted meanwhile
// comes back with it, or the project does not.
void Restorer::references(qint64 entryId, const QString &projectName)
{
    for (const Reference &r : kReferences) {
        const QVariant key = scalar(m_db, QStringLiteral("SELECT %1 FROM trail_bin_projects WHERE entry_id = :e")
                                              .arg(QLatin1String(r.key)),
                                    {{QStringLiteral("e"), entryId}});
        if (key.isNull() || key.toLongLong() == 0
            || scalar(m_db, QStringLiteral("SELECT 1 FROM %1 WHERE %2 = :k").arg(QLatin1String(r.table), QLatin1String(r.key)),
                      {{QStringLiteral("k"), key}})
                   .isValid())
            continue;
        const std::optional<RecycleBin::Entry> deleted = inBin(QLatin1String(r.table), key.toLongLong());
        const QString refusal = QStringLiteral("Проект %1 не восстановлен: %2.").arg(quoted(projectName));
        if (!deleted)
            refuse(refusal.arg(QString::fromUtf8(r.gone)));
        if (!ask(QStringLiteral("%1 %2 проекта %3 в корзине. Восстановить вместе с проектом?")
                     .arg(QString::fromUtf8(r.what), quoted(deleted->label), quoted(projectName))))
            refuse(refusal.arg(QString::fromUtf8(r.ofProject) + QLatin1Char(' ') + quoted(deleted->label)
                               + QStringLiteral(" в корзине")));
        entry(*deleted);
    }
}

void Restorer::project(const RecycleBin::Entry &e)
{
    references(e.id, e.label);
    // Inserted under the name it goes back with, so the row is never there
    // under a name that clashes.
    const QString name = freeName(QStringLiteral("projects"), QStringLiteral("tovName"), e.label, 100);
    const QString columns = QLatin1String(kProjectColumns);
    m_db.exec(QStringLiteral("INSERT INTO projects (%1) SELECT %2 FROM trail_bin_projects WHERE entry_id = :e")
                  .arg(columns, QString(columns).replace(QLatin1String("tovName"), QLatin1String(":n"))),
              {{QStringLiteral("e"), e.id}, {QStringLiteral("n"), name}});
    touched(QStringLiteral("projects"));
}

// Sales need their project: one in the bin comes back with them, or they don't.
void Restorer::sales(const RecycleBin::Entry &e)
{
    if (e.table != QLatin1String("projects") && e.projectId != 0
        && !scalar(m_db, QStringLiteral("SELECT 1 FROM projects WHERE project_id = :k"),
                   {{QStringLiteral("k"), e.projectId}})
                .isValid()) {
        const std::optional<RecycleBin::Entry> owner = inBin(QStringLiteral("projects"), e.projectId);
        if (!owner)
            refuse(QStringLiteral("Проект этой продажи удалён навсегда: продажу восстановить нельзя."));
        if (!ask(QStringLiteral("Проект %1 этой продажи в корзине. Восстановить его вместе с продажей?")
                     .arg(quoted(owner->label))))
            refuse(QStringLiteral("Проект %1 этой продажи удалён: сначала восстановите проект.").arg(quoted(e.label)));
        entry(*owner);
    }
    if (e.sales == 0)
        return;
    m_db.exec(QStringLiteral("INSERT INTO orders (%1) SELECT %1 FROM trail_bin_orders WHERE entry_id = :e")
                  .arg(QLatin1String(kOrderColumns)),
              {{QStringLiteral("e"), e.id}});
    touched(QStringLiteral("orders"));
}

void Restorer::entry(const RecycleBin::Entry &e)
{
    if (m_done.contains(e.id))
        return;
    m_done.insert(e.id);
    if (const Reference *r = reference(e.table)) {
        const QString name = freeName(QLatin1String(r->table), QLatin1String(r->name), e.label, r->length);
        m_db.exec(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (:k, :n)")
                      .arg(QLatin1String(r->table), QLatin1String(r->key), QLatin1String(r->name)),
                  {{QStringLiteral("k"), e.key}, {QStringLiteral("n"), name}});
        touched(e.table);
    } else {
        if (e.table == QLatin1String("projects"))
            project(e);
        sales(e);
    }
    m_db.exec(QStringLiteral("DELETE FROM trail_bin WHERE entry_id = :e"), {{QStringLiteral("e"), e.id}});
    touched(QStringLiteral("trail_bin"));
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
    QSqlQuery q = db.exec(QString::fromLatin1(kEntrySql) + QStringLiteral(" ORDER BY b.deleted_at DESC, b.entry_id DESC"));
    QList<Entry> list;
    while (q.next())
        list.append(entryFrom(q));
    return list;
}

QStringList restore(Database &db, const QList<qint64> &ids, const Ask &ask)
{
    QList<Entry> chosen;
    for (qint64 id : ids)
        if (const Entry e = entry(db, id); e.id != 0)
            chosen << e;
    // Oldest first: entries are numbered as they are made.
    std::sort(chosen.begin(), chosen.end(), [](const Entry &a, const Entry &b) { return a.id < b.id; });
    // What rows refer to goes first: reference-book entries, projects, sales.
    const auto rank = [](const Entry &e) {
        return reference(e.table) ? 0 : e.table == QLatin1String("projects") ? 1 : 2;
    };
    std::stable_sort(chosen.begin(), chosen.end(), [&](const Entry &a, const Entry &b) { return rank(a) < rank(b); });
    QHash<QString, bool> answers;
    for (;;) {
        Restorer restorer(db, answers);
        try {
            db.transaction([&] {
                for (const Entry &e : std::as_const(chosen))
                    restorer.entry(e);
            });
            return restorer.tables();
        } catch (const Restorer::Question &q) {
            answers.insert(q.text, ask && ask(q.text));
        }
    }
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

qint64 lastEntry(const Database &db)
{
    return scalar(db, QStringLiteral("SELECT MAX(entry_id) FROM trail_bin"), {}).toLongLong();
}

qint64 lastDeletedByUser(const Database &db, qint64 after)
{
    const bool server = db.engine().kind() == Engine::Kind::Server;
    const QString user = server ? QStringLiteral("current_user") : QStringLiteral(":u");
    return scalar(db, QStringLiteral("SELECT MAX(entry_id) FROM trail_bin WHERE entry_id > :a AND %1").arg(
                          // A writer of the file that can't say who it is records no user.
                          server || !Trail::loginName().isEmpty() ? QStringLiteral("deleted_by = ") + user
                                                                  : QStringLiteral("deleted_by IS NULL")),
                  {{QStringLiteral("a"), after}, {QStringLiteral("u"), Trail::loginName()}})
        .toLongLong();
}

Entry entry(const Database &db, qint64 id)
{
    QSqlQuery q = db.exec(QString::fromLatin1(kEntrySql) + QStringLiteral(" WHERE b.entry_id = :e"),
                          {{QStringLiteral("e"), id}});
    return q.next() ? entryFrom(q) : Entry{};
}

} // namespace RecycleBin
