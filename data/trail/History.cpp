#include "data/trail/History.h"

#include "data/core/Money.h"
#include "data/engine/Database.h"

#include <QHash>
#include <QLocale>
#include <QSqlQuery>
#include <QVariant>
#include <limits>

namespace {

struct Words {
    const char *name, *text;
};

const Words kTables[] = {{"projects", "Проекты"},
                         {"orders", "Продажи"},
                         {"category", "Категории"},
                         {"years", "Годы разработки"},
                         {"ide", "Версии IDE"}};
const Words kActions[] = {
    {"insert", "Добавление"}, {"update", "Изменение"}, {"delete", "Удаление"}, {"restore", "Восстановление"}};
const Words kFields[] = {{"project_id", "Код проекта"},
                         {"cat_id", "Код категории"},
                         {"year_id", "Код года разработки"},
                         {"version_id", "Код версии IDE"},
                         {"tovName", "Наименование"},
                         {"price", "Стоимость"},
                         {"description", "Описание"},
                         {"screenshots", "Картинка"},
                         {"project_begin", "Начало разработки"},
                         {"project_end", "Окончание разработки"},
                         {"datetime_update", "Дата обновления"},
                         {"path_repository", "Путь в репозитории"},
                         {"isExports", "Экспорт"},
                         {"isExportsDesc", "Экспорт описания"},
                         {"order_id", "Код продажи"},
                         {"date_orders", "Дата продажи"},
                         {"summ", "Сумма"},
                         {"comments", "Комментарий"},
                         {"catName", "Категория"},
                         {"name", "Год разработки"},
                         {"ide", "Версия IDE"}};
const char *const kDates[] = {"project_begin", "project_end", "datetime_update", "date_orders"};

template <size_t N> QString wordFor(const Words (&words)[N], const QString &name)
{
    for (const Words &w : words)
        if (name == QLatin1String(w.name))
            return QString::fromUtf8(w.text);
    return name;
}

bool isDate(const QString &field)
{
    for (const char *date : kDates)
        if (field == QLatin1String(date))
            return true;
    return false;
}

QStringList whereOf(const History::Filter &filter, bool byTime, QHash<QString, QVariant> &params)
{
    QStringList where;
    const auto add = [&](const char *condition, const char *name, const QVariant &value) {
        where << QLatin1String(condition);
        params.insert(QLatin1String(name), value);
    };
    if (filter.projectId != 0)
        add("h.project_id = :project", "project", filter.projectId);
    if (!filter.user.isEmpty())
        add("h.changed_by = :user", "user", filter.user);
    // An expression of the time is not looked up by its index.
    if (filter.from.isValid())
        add(byTime ? "h.changed_at >= :from" : "h.changed_at || '' >= :from", "from",
            filter.from.toString(Qt::ISODate));
    if (filter.to.isValid())
        add(byTime ? "h.changed_at < :to" : "h.changed_at || '' < :to", "to",
            filter.to.addDays(1).toString(Qt::ISODate));
    if (!filter.table.isEmpty())
        add("h.tbl = :table", "table", filter.table);
    return where;
}

} // namespace

namespace History {

bool matches(const Change &c, const QString &text)
{
    if (text.isEmpty())
        return true;
    for (const QString *value : {&c.oldValue, &c.newValue, &c.changedBy, &c.projectName})
        if (value->contains(text, Qt::CaseInsensitive) || c.shown(*value).contains(text, Qt::CaseInsensitive))
            return true;
    return false;
}

QString Change::tableText() const
{
    return wordFor(kTables, table);
}

QString Change::actionText() const
{
    return wordFor(kActions, action);
}

QString Change::fieldText() const
{
    return field.isEmpty() ? QString() : wordFor(kFields, field);
}

QString Change::what() const
{
    const QString named = projectName.isEmpty() ? QString() : QStringLiteral("«%1»").arg(projectName);
    if (table == QLatin1String("projects"))
        return named.isEmpty() ? QStringLiteral("Проект, код %1").arg(key) : QStringLiteral("Проект %1").arg(named);
    if (table == QLatin1String("orders"))
        return named.isEmpty() ? QStringLiteral("Продажа %1").arg(key)
                               : QStringLiteral("Продажа %1 проекта %2").arg(key).arg(named);
    return QStringLiteral("%1, код %2").arg(tableText()).arg(key);
}

QString Change::shown(const QString &value) const
{
    if (value.isNull())
        return {};
    // A sale's insert, delete or restore shows its sum.
    if (field == QLatin1String("price") || field == QLatin1String("summ")
        || (field.isEmpty() && table == QLatin1String("orders")))
        return Money::fromUnits(value.toLongLong()).toDisplayString();
    if (field == QLatin1String("screenshots"))
        return QStringLiteral("%1 байт").arg(value);
    if (isDate(field)) {
        const QDate date = QDate::fromString(value.left(10), Qt::ISODate);
        return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : value;
    }
    if (field == QLatin1String("isExports") || field == QLatin1String("isExportsDesc"))
        return value == QLatin1String("1") ? QStringLiteral("Да") : QStringLiteral("Нет");
    return value;
}

QList<Change> read(const Database &db, const Filter &filter, qint64 after, qint64 before, int limit, bool byTime)
{
    QHash<QString, QVariant> params;
    const bool named = filter.projectId == 0;
    QStringList where = whereOf(filter, byTime, params);
    if (after > 0) {
        where << QStringLiteral("h.change_id > :after");
        params.insert(QStringLiteral("after"), after);
    }
    if (before > 0) {
        where << QStringLiteral("h.change_id < :before");
        params.insert(QStringLiteral("before"), before);
    }
    // The name as it is now: one look-up by key a row.
    const QString sql = QStringLiteral("SELECT h.change_id, h.changed_at, h.changed_by, h.tbl, h.row_key, h.project_id,"
                                       " h.action, h.field, h.old_value, h.new_value%1 FROM trail_history h%2%3"
                                       " ORDER BY h.change_id DESC%4")
                            .arg(named ? QStringLiteral(", p.\"tovName\"") : QString(),
                                 named ? QStringLiteral(" LEFT JOIN projects p ON p.project_id = h.project_id")
                                       : QString(),
                                 where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND ")),
                                 limit > 0 ? QStringLiteral(" LIMIT %1").arg(limit) : QString());
    QSqlQuery q = db.exec(sql, params);
    QList<Change> list;
    while (q.next())
        list.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                     q.value(4).toLongLong(), q.value(5).toLongLong(), q.value(6).toString(), q.value(7).toString(),
                     q.value(8).toString(), q.value(9).toString(), named ? q.value(10).toString() : QString()});
    return list;
}

QList<Change> changes(const Database &db, const Filter &filter)
{
    QList<Change> list = read(db, filter, 0, 0, 0, true);
    // Matched here: the file's SQL folds the case of Latin letters only.
    list.removeIf([&](const Change &c) { return !matches(c, filter.text); });
    return list;
}

bool narrowPeriod(const Database &db, const Filter &filter, int entries)
{
    if (!filter.from.isValid() && !filter.to.isValid())
        return false;
    // The keys at the period's ends, each by one look-up in the time's index.
    const auto keyAt = [&](const char *sql, const QDate &day, qint64 otherwise) {
        if (!day.isValid())
            return otherwise;
        QSqlQuery q = db.exec(QLatin1String(sql), {{QStringLiteral("d"), day.toString(Qt::ISODate)}});
        return q.next() ? q.value(0).toLongLong() : -1;
    };
    const qint64 first = keyAt("SELECT change_id FROM trail_history WHERE changed_at >= :d ORDER BY changed_at LIMIT 1",
                               filter.from, 0);
    const qint64 last =
        keyAt("SELECT change_id FROM trail_history WHERE changed_at < :d ORDER BY changed_at DESC LIMIT 1",
              filter.to.isValid() ? filter.to.addDays(1) : QDate(), std::numeric_limits<qint64>::max());
    return first < 0 || last < 0 || last - first < entries;
}

QStringList users(const Database &db, qint64 projectId)
{
    // A project's by its index: not a walk over the whole history.
    QSqlQuery q = db.exec(QStringLiteral("SELECT DISTINCT changed_by FROM trail_history WHERE changed_by IS NOT NULL%1"
                                         " ORDER BY changed_by")
                              .arg(projectId != 0 ? QStringLiteral(" AND project_id = :project") : QString()),
                          projectId != 0 ? QHash<QString, QVariant>{{QStringLiteral("project"), projectId}}
                                         : QHash<QString, QVariant>{});
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QList<QPair<QString, QString>> tables()
{
    QList<QPair<QString, QString>> out;
    for (const Words &w : kTables)
        out.append({QLatin1String(w.name), QString::fromUtf8(w.text)});
    return out;
}

} // namespace History
