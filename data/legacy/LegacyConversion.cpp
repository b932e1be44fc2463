#include "data/legacy/LegacyConversion.h"

#include "data/legacy/BulkLoad.h"
#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/engine/JetFile.h"
#include "data/legacy/LegacyPicture.h"
#include "data/legacy/LegacyRules.h"
#include "data/trail/Trail.h"

#include <QSqlError>
#include <QSqlQuery>

using LegacyRules::Kind;

namespace {

// What a table holds, whatever order its rows come in and whatever types
// each engine hands back: the count and the sum of the rows' hashes.
class RowsDigest
{
public:
    void add(const QVector<QVariant> &values) { add([&](int i) { return values[i]; }, values.size()); }
    void add(const QSqlQuery &q, int columns) { add([&](int i) { return q.value(i); }, columns); }
    bool operator==(const RowsDigest &o) const { return m_rows == o.m_rows && m_a == o.m_a && m_b == o.m_b; }
    qint64 rows() const { return m_rows; }

private:
    template <typename Value> void add(Value value, int columns)
    {
        quint64 a = 0, b = 0;
        for (int i = 0; i < columns; ++i) {
            const QVariant v = value(i);
            a = combine(a, hash(v, 0x51ed2701));
            b = combine(b, hash(v, 0x2f9b4c3d));
        }
        m_a += a;
        m_b += b;
        ++m_rows;
    }
    static quint64 combine(quint64 h, quint64 v) { return h ^ (v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2)); }
    static quint64 hash(const QVariant &v, size_t seed)
    {
        if (v.isNull())
            return 0x6e756c6cull ^ seed;
        switch (v.typeId()) {
        case QMetaType::QString: return 3 * quint64(qHash(v.toString(), seed)) + 1;
        case QMetaType::QByteArray: return 3 * quint64(qHash(v.toByteArray(), seed)) + 2;
        default: return 3 * quint64(qHash(v.toLongLong(), seed));
        }
    }

    qint64 m_rows = 0;
    quint64 m_a = 0, m_b = 0;
};

QString insertSql(const LegacyRules::Table &t)
{
    QStringList names, marks;
    for (const LegacyRules::Column &c : t.columns) {
        names << c.name;
        marks << QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(t.name, names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
}

void insert(QSqlQuery &q, const QVector<QVariant> &values, const LegacyRules::Table &t)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec())
        throw DataError(QStringLiteral("Строка таблицы «%1» не записана: %2").arg(t.shown, q.lastError().text()));
}

} // namespace

LegacyConversion::LegacyConversion(const QString &jetPath) : m_file(std::make_unique<JetFile>(jetPath))
{
    requireLegacyCatalogue(*m_file);
    for (const LegacyRules::Table &t : LegacyRules::tables())
        m_total += m_file->rowCount(t.name);
}

LegacyConversion::~LegacyConversion() = default;

void LegacyConversion::closeSource()
{
    m_file.reset();
}

qint64 LegacyConversion::progressTotal() const
{
    // Every row is counted when checked, written and compared; the indexes
    // and the sales summary made at the end count as a tenth more.
    return 3 * m_total + qMax<qint64>(m_total / 10, 100);
}

bool LegacyConversion::step(const Progress &progress)
{
    m_done = qMin(m_done + 1, progressTotal() - 1);
    return !progress || progress(m_done, progressTotal());
}

// The statements at the end say nothing of how far they are: the count
// moves on by a part of what is left each time, so it moves and never
// reaches the end before they are done.
bool LegacyConversion::tick(const Progress &progress)
{
    m_done += qMax<qint64>(1, (progressTotal() - 1 - m_done) / 20);
    m_done = qMin(m_done, progressTotal() - 1);
    m_cancelled = progress && !progress(m_done, progressTotal());
    return !m_cancelled;
}

bool LegacyConversion::check(const Progress &progress)
{
    try {
        m_check = checkLegacy(*m_file, [&](qint64 read) { return !progress || progress(read, progressTotal()); });
    } catch (const LegacyCancelled &) {
        return false;
    }
    m_checked = true;
    return true;
}

bool LegacyConversion::write(Database &target, const Progress &progress)
{
    if (!m_checked && !check(progress))
        return false;
    m_done = m_total;
    m_cancelled = false;
    m_notes.clear();
    m_counts.clear();
    BulkLoad::prepare(target);
    try {
        // The converted rows are the catalogue as it was, not changes to it.
        Trail::withoutHistory(target, [&] {
            BulkLoad load(target);
            m_summary = {};
            m_categoryOf.clear();
            for (int t = 0; t < LegacyRules::tables().size(); ++t)
                writeTable(target, t, progress);
            load.finish(m_summary, [&] { return tick(progress); });
        });
    } catch (const LegacyCancelled &) {
        m_cancelled = true;
    } catch (const DataError &) {
        if (!m_cancelled) // else the statement was stopped by the cancel
            throw;
    }
    if (m_cancelled) {
        m_notes.clear();
        m_counts.clear();
        return false;
    }
    target.engine().settleAfterLoad(target);
    if (progress)
        progress(progressTotal(), progressTotal());
    return true;
}

void LegacyConversion::writeTable(Database &target, int index, const Progress &progress)
{
    const LegacyRules::Table &t = LegacyRules::tables()[index];
    QStringList names;
    for (const LegacyRules::Column &c : t.columns)
        names << c.name;
    const int keyAt = t.keyColumn();
    const int pictureAt = t.columnIndex(QStringLiteral("screenshots"));
    const auto fixes = m_check.repairs.values.value(t.name);
    QSqlQuery q = target.prepare(insertSql(t));
    RowsDigest written;
    QVector<QVariant> values(t.columns.size());
    qint64 ordinal = 0;
    for (JetRows rows(*m_file, t.name, names); rows.next();) {
        for (int i = 0; i < values.size(); ++i)
            values[i] = rows.value(i);
        const qint64 key = keyAt >= 0 ? values[keyAt].toLongLong() : ++ordinal;
        if (pictureAt >= 0) {
            const LegacyPicture picture = legacyPicture(values[pictureAt]);
            values[pictureAt] = picture.value;
            if (!picture.note.isEmpty())
                m_notes << QStringLiteral("%1, код %2: %3").arg(t.shown).arg(key).arg(picture.note);
        }
        if (!fixes.isEmpty())
            for (const auto &[column, value] : fixes.value(key))
                values[column] = value;
        insert(q, values, t);
        written.add(values);
        count(t, values);
        if (!step(progress))
            throw LegacyCancelled();
    }
    for (const QVector<QVariant> &row : m_check.repairs.created.value(t.name)) {
        insert(q, row, t);
        written.add(row);
        count(t, row);
    }
    // What the target holds now, against what was read.
    RowsDigest stored;
    for (QSqlQuery back = target.exec(QStringLiteral("SELECT %1 FROM %2").arg(names.join(QLatin1String(", ")), t.name));
         back.next();) {
        stored.add(back, int(names.size()));
        if (!step(progress))
            throw LegacyCancelled();
    }
    if (!(stored == written))
        throw DataError(QStringLiteral("Таблица «%1» записана не так, как прочитана (%2 строк прочитано, %3 записано); "
                                       "каталог не сохранён.").arg(t.shown).arg(written.rows()).arg(stored.rows()));
    if (keyAt >= 0)
        target.engine().setLastKey(target, t.name, t.columns[keyAt].name, m_check.repairs.lastKey.value(t.name));
    m_counts.push_back({t.shown, written.rows()});
}

// The sales summary, counted as the rows go in: each sale under its
// project's category.
void LegacyConversion::count(const LegacyRules::Table &t, const QVector<QVariant> &values)
{
    if (t.name == QLatin1String("projects")) {
        const QVariant &category = values[t.columnIndex(QStringLiteral("cat_id"))];
        m_categoryOf.insert(values[t.keyColumn()].toLongLong(), category.isNull() ? 0 : category.toLongLong());
    } else if (t.name == QLatin1String("orders")) {
        const QVariant &project = values[t.columnIndex(QStringLiteral("project_id"))];
        m_summary.add(values[t.columnIndex(QStringLiteral("date_orders"))],
                      project.isNull() ? 0 : m_categoryOf.value(project.toLongLong(), 0),
                      values[t.columnIndex(QStringLiteral("summ"))]);
    }
}

QStringList legacyProblemLines(const QVector<LegacyProblem> &problems)
{
    QStringList lines;
    for (const LegacyProblem &p : problems)
        lines << QStringLiteral("%1, код %2, поле %3 = %4: %5 → %6")
                     .arg(p.table, p.key, p.column, p.value, p.rule, p.repair);
    return lines;
}

QString LegacyConversion::reportText() const
{
    QStringList lines;
    if (!m_check.problems.isEmpty())
        lines << QStringLiteral("Исправления (строки, которые правила каталога не принимают):")
              << legacyProblemLines(m_check.problems) << QString();
    if (!m_notes.isEmpty())
        lines << QStringLiteral("Замечания:") << m_notes << QString();
    lines << QStringLiteral("Перенесено:");
    for (const auto &[table, rows] : m_counts)
        lines << QStringLiteral("%1: %2").arg(table).arg(rows);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
