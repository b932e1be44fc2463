#include "data/legacy/LegacyCheck.h"

#include "data/core/DataError.h"
#include "data/engine/JetFile.h"
#include "data/legacy/LegacyRules.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <map>
#include <tuple>

using LegacyRules::Kind;

namespace {

// How the texts name a row of a referenced table.
struct Referenced {
    QString genitive;  // "нет категории с кодом 99"
    QString created;   // "создана категория"
    QString missing;   // "категория не указана"
    QString placeholder;
};

Referenced referenced(const QString &table)
{
    if (table == QLatin1String("category"))
        return {QStringLiteral("категории"), QStringLiteral("создана категория"),
                QStringLiteral("категория не указана"), QStringLiteral("(нет)")};
    if (table == QLatin1String("years"))
        return {QStringLiteral("года разработки"), QStringLiteral("создан год разработки"),
                QStringLiteral("год разработки не указан"), QStringLiteral("нет")};
    if (table == QLatin1String("ide"))
        return {QStringLiteral("версии IDE"), QStringLiteral("создана версия IDE"),
                QStringLiteral("версия IDE не указана"), QStringLiteral("(нет)")};
    return {QStringLiteral("проекта"), QStringLiteral("создан проект"), QStringLiteral("проект не указан"),
            QStringLiteral("(нет) проект")};
}

QString shownValue(const QVariant &v)
{
    if (!v.isValid())
        return QStringLiteral("NULL");
    const QString s = v.toString();
    return LegacyRules::length(s) > 60 ? LegacyRules::cut(s, 57) + QStringLiteral("…") : s;
}

bool typeFits(Kind kind, JetType type)
{
    switch (kind) {
    case Kind::Key:
    case Kind::Ref: return type == JetType::Long || type == JetType::Integer || type == JetType::Byte;
    case Kind::Name:
    case Kind::Text:
    case Kind::Memo: return type == JetType::Text || type == JetType::Memo;
    case Kind::Money: return type == JetType::Currency;
    case Kind::Date: return type == JetType::DateTime;
    case Kind::Flag: return type == JetType::Bool;
    case Kind::Picture: return type == JetType::Ole || type == JetType::Binary;
    }
    return false;
}

// A reference to nothing, found while reading; planned once all is read.
struct MissingRef {
    QString table;
    qint64 key;
    int column;
    QVariant target; // the key referred to, or NULL
};

class Planner
{
public:
    explicit Planner(const JetFile &file) : m_file(file) {}

    void read(const std::function<bool(qint64)> &progress)
    {
        for (const LegacyRules::Table &t : LegacyRules::tables())
            readTable(t, progress);
    }

    LegacyCheck plan()
    {
        for (const LegacyRules::Table &t : LegacyRules::tables())
            planTable(t);
        std::stable_sort(m_check.problems.begin(), m_check.problems.end(), [](const auto &a, const auto &b) {
            return a.order < b.order;
        });
        LegacyCheck out;
        out.repairs = m_check.repairs;
        for (const Ordered &p : m_check.problems)
            out.problems << p.problem;
        return out;
    }

private:
    struct Ordered {
        std::tuple<int, qint64, int> order; // table, key, column: the list reads in key order
        LegacyProblem problem;
    };

    void readTable(const LegacyRules::Table &t, const std::function<bool(qint64)> &progress)
    {
        QStringList names;
        QVector<int> indexes;
        for (int i = 0; i < t.columns.size(); ++i)
            if (t.columns[i].kind == Kind::Key || t.columns[i].kind == Kind::Ref || t.columns[i].kind == Kind::Name
                || t.columns[i].kind == Kind::Text) {
                names << t.columns[i].name;
                indexes << i;
            }
        const int keyAt = int(indexes.indexOf(t.keyColumn()));
        QSet<qint64> &keys = m_keys[t.name];
        qint64 ordinal = 0;
        for (JetRows rows(m_file, t.name, names); rows.next();) {
            const qint64 key = keyAt >= 0 ? rows.value(keyAt).toLongLong() : ++ordinal;
            keys.insert(key);
            for (int v = 0; v < indexes.size(); ++v)
                look(t, key, indexes[v], rows.value(v));
            if (++m_rowsRead % 256 == 0 && progress && !progress(m_rowsRead))
                throw LegacyCancelled();
        }
        m_lastKey[t.name] = m_file.lastAutoNumber(t.name);
        if (progress && !progress(m_rowsRead))
            throw LegacyCancelled();
    }

    void look(const LegacyRules::Table &t, qint64 key, int column, const QVariant &value)
    {
        const LegacyRules::Column &c = t.columns[column];
        if (c.kind == Kind::Name) {
            m_names[t.name].push_back({key, value});
        } else if (c.kind == Kind::Text && value.isValid() && LegacyRules::length(value.toString()) > c.limit) {
            const QString cut = LegacyRules::cut(value.toString(), c.limit);
            problem(t, key, column, value,
                    QStringLiteral("длиннее %1 символов (%2)").arg(c.limit).arg(LegacyRules::length(value.toString())),
                    QStringLiteral("обрезано до %1 символов").arg(LegacyRules::length(cut)));
            repair(t.name, key, column, cut);
        } else if (c.kind == Kind::Ref && (value.isValid() ? !m_keys[c.refTable].contains(value.toLongLong())
                                                           : !c.nullable)) {
            m_missing.push_back({t.name, key, column, value});
        }
    }

    void planTable(const LegacyRules::Table &t)
    {
        QSet<QString> taken;
        const int nameColumn = [&] {
            for (int i = 0; i < t.columns.size(); ++i)
                if (t.columns[i].kind == Kind::Name)
                    return i;
            return -1;
        }();
        if (nameColumn >= 0)
            planNames(t, nameColumn, taken);
        planCreated(t, nameColumn, taken);
        for (const MissingRef &m : m_missing)
            if (m.table == t.name)
                planReference(t, m);
        qint64 last = m_lastKey.value(t.name);
        for (qint64 k : m_keys.value(t.name))
            last = qMax(last, k);
        if (t.keyColumn() >= 0)
            m_check.repairs.lastKey[t.name] = last;
    }

    // The first row (by key) keeps a name; the others that break a rule get one made.
    void planNames(const LegacyRules::Table &t, int column, QSet<QString> &taken)
    {
        auto &names = m_names[t.name];
        std::stable_sort(names.begin(), names.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        const int limit = t.columns[column].limit;
        QHash<QString, qint64> owner;
        for (const auto &[key, value] : names)
            if (value.isValid() && LegacyRules::length(value.toString()) <= limit && !owner.contains(value.toString())) {
                owner.insert(value.toString(), key);
                taken.insert(value.toString());
            }
        const QString placeholder = limit < 10 ? QStringLiteral("б/н") : QStringLiteral("Без названия");
        for (const auto &[key, value] : names) {
            const QString name = value.toString();
            if (value.isValid() && owner.value(name, -1) == key)
                continue;
            QString rule, made;
            if (!value.isValid()) {
                made = LegacyRules::unique(placeholder, limit, taken, LegacyRules::Series::Number);
                rule = QStringLiteral("название не задано");
            } else if (LegacyRules::length(name) > limit) {
                made = LegacyRules::unique(LegacyRules::cut(name, limit), limit, taken, LegacyRules::Series::Copy);
                rule = QStringLiteral("название длиннее %1 символов (%2)").arg(limit).arg(LegacyRules::length(name));
            } else {
                made = LegacyRules::unique(name, limit, taken, LegacyRules::Series::Copy);
                rule = QStringLiteral("такое же название у записи с кодом %1").arg(owner.value(name));
            }
            problem(t, key, column, value, rule, QStringLiteral("названо «%1»").arg(made));
            repair(t.name, key, column, made);
        }
    }

    // Rows for references to nothing: one per missing key, kept under that
    // key, and one with a new key for the rows that name none.
    void planCreated(const LegacyRules::Table &t, int nameColumn, QSet<QString> &taken)
    {
        std::map<qint64, bool> wanted; // missing keys referred to
        bool forNone = false;
        for (const MissingRef &m : m_missing) {
            const LegacyRules::Table &from = LegacyRules::table(m.table);
            if (from.columns[m.column].refTable != t.name)
                continue;
            if (m.target.isValid())
                wanted[m.target.toLongLong()] = true;
            else
                forNone = true;
        }
        // A project made for a sale needs a category and a year of its own.
        if ((t.name == QLatin1String("category") || t.name == QLatin1String("years"))
            && std::any_of(m_missing.begin(), m_missing.end(),
                           [](const MissingRef &m) { return m.table == QLatin1String("orders"); }))
            forNone = true;
        const Referenced names = referenced(t.name);
        for (const auto &[key, unused] : wanted) {
            Q_UNUSED(unused);
            const QString base = t.name == QLatin1String("projects") ? names.placeholder + QLatin1Char(' ')
                                         + QString::number(key) : names.placeholder;
            create(t, key, nameColumn, LegacyRules::unique(base, t.columns[nameColumn].limit, taken,
                                                           LegacyRules::Series::Copy));
        }
        if (forNone && !wanted.empty()) {
            m_noneKey[t.name] = wanted.begin()->first; // one "(нет)" serves both
        } else if (forNone) {
            qint64 key = m_lastKey.value(t.name);
            for (qint64 k : m_keys.value(t.name))
                key = qMax(key, k);
            for (const auto &[k, unused] : wanted)
                key = qMax(key, k);
            m_noneKey[t.name] = ++key;
            create(t, key, nameColumn, LegacyRules::unique(names.placeholder, t.columns[nameColumn].limit, taken,
                                                           LegacyRules::Series::Copy));
        }
    }

    void create(const LegacyRules::Table &t, qint64 key, int nameColumn, const QString &name)
    {
        QVector<QVariant> row(t.columns.size());
        for (int i = 0; i < t.columns.size(); ++i) {
            const LegacyRules::Column &c = t.columns[i];
            if (c.kind == Kind::Key)
                row[i] = key;
            else if (c.kind == Kind::Flag)
                row[i] = 0;
            else if (c.kind == Kind::Ref && !c.nullable)
                row[i] = m_noneKey.value(c.refTable);
        }
        row[nameColumn] = name;
        m_check.repairs.created[t.name].push_back(row);
        m_keys[t.name].insert(key);
        m_createdNames[t.name].insert(key, name);
    }

    void planReference(const LegacyRules::Table &t, const MissingRef &m)
    {
        Q_UNUSED(t);
        const LegacyRules::Table &from = LegacyRules::table(m.table);
        const QString to = from.columns[m.column].refTable;
        const Referenced names = referenced(to);
        const qint64 target = m.target.isValid() ? m.target.toLongLong() : m_noneKey.value(to);
        const QString made = m_createdNames.value(to).value(target);
        const QString rule = m.target.isValid()
                                 ? QStringLiteral("нет %1 с кодом %2").arg(names.genitive).arg(target)
                                 : names.missing;
        const QString repair = m.target.isValid()
                                   ? QStringLiteral("%1 «%2» с кодом %3").arg(names.created, made).arg(target)
                                   : QStringLiteral("%1 «%2» с кодом %3 — для всех записей, где ссылки нет")
                                         .arg(names.created, made).arg(target);
        problem(from, m.key, m.column, m.target, rule, repair);
        if (!m.target.isValid())
            this->repair(from.name, m.key, m.column, target);
    }

    void problem(const LegacyRules::Table &t, qint64 key, int column, const QVariant &value, const QString &rule,
                 const QString &repair)
    {
        const int order = int(std::find_if(LegacyRules::tables().begin(), LegacyRules::tables().end(),
                                           [&](const auto &x) { return x.name == t.name; })
                              - LegacyRules::tables().begin());
        const QString shownKey = t.keyColumn() >= 0 ? QString::number(key) : QStringLiteral("строка %1").arg(key);
        m_check.problems.push_back({{order, key, column}, {t.shown, shownKey, t.columns[column].name, shownValue(value),
                                                   rule, repair}});
    }

    void repair(const QString &table, qint64 key, int column, const QVariant &value)
    {
        m_check.repairs.values[table][key].push_back({column, value});
    }

    const JetFile &m_file;
    qint64 m_rowsRead = 0;
    QHash<QString, QSet<qint64>> m_keys;
    QHash<QString, qint64> m_lastKey;
    QHash<QString, qint64> m_noneKey;
    QHash<QString, QHash<qint64, QString>> m_createdNames;
    QHash<QString, QVector<std::pair<qint64, QVariant>>> m_names;
    QVector<MissingRef> m_missing;
    struct {
        QVector<Ordered> problems;
        LegacyRepairs repairs;
    } m_check;
};

DataError notACatalogue(const JetFile &file, const QString &what)
{
    return DataError(QStringLiteral("Файл «%1» — база данных Access, но не каталог программы: %2.")
                         .arg(QDir::toNativeSeparators(QFileInfo(file.path()).absoluteFilePath()), what),
                     DataError::Kind::NotADatabase);
}

} // namespace

void requireLegacyCatalogue(const JetFile &file)
{
    for (const LegacyRules::Table &t : LegacyRules::tables()) {
        if (!file.hasTable(t.name))
            throw notACatalogue(file, QStringLiteral("в ней нет таблицы «%1»").arg(t.name));
        const QVector<JetColumn> columns = file.columns(t.name);
        for (const LegacyRules::Column &c : t.columns) {
            const auto found = std::find_if(columns.begin(), columns.end(), [&](const JetColumn &j) {
                return j.name.compare(c.name, Qt::CaseInsensitive) == 0;
            });
            if (found == columns.end())
                throw notACatalogue(file, QStringLiteral("в таблице «%1» нет поля «%2»").arg(t.name, c.name));
            if (!typeFits(c.kind, found->type))
                throw notACatalogue(file, QStringLiteral("поле «%1» таблицы «%2» другого типа").arg(c.name, t.name));
        }
    }
}

LegacyCheck checkLegacy(const JetFile &file, const std::function<bool(qint64)> &progress)
{
    requireLegacyCatalogue(file);
    Planner planner(file);
    planner.read(progress);
    return planner.plan();
}
