#include "data/csv/CsvImport.h"

#include "data/core/Clock.h"
#include "data/core/DataError.h"
#include "data/csv/CsvValues.h"
#include "data/dataset/SqlValues.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/module/UnitDM.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

// What the catalogue holds that the rows refer to, read at the check and
// again inside the import's transaction.
struct CsvCatalogue
{
    QHash<QString, qint64> categories, years, ides, projects; // key by name
    QHash<qint64, QVariant> prices;                          // price by project key

    static CsvCatalogue read(const Database &db)
    {
        CsvCatalogue c;
        const auto names = [&db](const char *sql, QHash<QString, qint64> &into) {
            QSqlQuery q = db.exec(QString::fromLatin1(sql));
            while (q.next())
                into.insert(q.value(1).toString(), q.value(0).toLongLong());
        };
        names("SELECT cat_id, catName FROM category", c.categories);
        names("SELECT year_id, name FROM years", c.years);
        names("SELECT version_id, ide FROM ide", c.ides);
        QSqlQuery q = db.exec(QStringLiteral("SELECT project_id, tovName, price FROM projects"));
        while (q.next()) {
            c.projects.insert(q.value(1).toString(), q.value(0).toLongLong());
            c.prices.insert(q.value(0).toLongLong(), q.value(2));
        }
        return c;
    }
};

namespace {

struct Cancelled
{
};

// Every this many rows the progress is told.
constexpr int ProgressRows = 256;

// The project columns each field fills, with their kind of value.
struct Column
{
    CsvField field;
    const char *name;
    FieldType type;
};
const Column ProjectColumns[] = {
    {CsvField::Name, "tovName", FieldType::Text},
    {CsvField::Category, "cat_id", FieldType::Integer},
    {CsvField::Year, "year_id", FieldType::Integer},
    {CsvField::Ide, "version_id", FieldType::Integer},
    {CsvField::Price, "price", FieldType::Money},
    {CsvField::Begin, "project_begin", FieldType::DateTime},
    {CsvField::End, "project_end", FieldType::DateTime},
    {CsvField::Update, "datetime_update", FieldType::DateTime},
    {CsvField::Repository, "path_repository", FieldType::Text},
    {CsvField::ExportProject, "isExports", FieldType::Boolean},
    {CsvField::ExportDescription, "isExportsDesc", FieldType::Boolean},
    {CsvField::Description, "description", FieldType::Memo},
};

QString lineText(const CsvProblem &p)
{
    QString text = QStringLiteral("строка %1").arg(p.line);
    if (p.column > 0)
        text += QStringLiteral(", столбец %1").arg(p.column);
    if (!p.value.isEmpty())
        text += QStringLiteral(", «%1»").arg(p.value.left(100));
    return text + QStringLiteral(": ") + p.why;
}

void exec(QSqlQuery &q, const Database &db)
{
    if (!q.exec())
        throw db.engine().translate(q.lastError());
}

} // namespace

CsvImport::CsvImport(const QByteArray &bytes, const CsvImportSettings &settings)
    : m_settings(settings),
      m_table(CsvTable::parse(CsvTable::decode(bytes, settings.format.encoding), settings.format.separator))
{
    convert();
}

CsvImport::~CsvImport() = default;

CsvFormat CsvImport::guessFormat(const QByteArray &bytes)
{
    return CsvFormat::guess(bytes, &CsvColumns::isKnownTitle);
}

QVector<CsvField> CsvImport::guessColumns(CsvKind kind, const QByteArray &bytes, const CsvFormat &format)
{
    const CsvTable first = CsvTable::parse(CsvTable::decode(bytes.left(64 * 1024), format.encoding),
                                           format.separator, 1);
    const QStringList titles = first.records.value(0);
    if (format.titles)
        return CsvColumns::guessAll(kind, titles);
    return QVector<CsvField>(titles.size(), CsvField::Skip);
}

void CsvImport::convert()
{
    const bool projects = m_settings.kind == CsvKind::Projects;
    const int titleLine = m_settings.format.titles && !m_table.lines.isEmpty() ? m_table.lines.first() : 1;
    QVector<CsvField> required;
    if (projects)
        required = {CsvField::Name, CsvField::Category, CsvField::Year};
    else
        required = {m_settings.matchByCode ? CsvField::ProjectCode : CsvField::Name};
    for (CsvField f : required)
        if (!mapped(f))
            m_problems << CsvProblem{titleLine, 0, {},
                                     QStringLiteral("не выбран столбец «%1»").arg(CsvColumns::title(f))};
    if (m_table.unclosedQuoteLine)
        m_problems << CsvProblem{m_table.unclosedQuoteLine, 0, {},
                                 QStringLiteral("кавычка не закрыта до конца файла")};

    const int first = m_settings.format.titles ? 1 : 0;
    const qsizetype width = m_table.records.isEmpty() ? 0 : m_table.records.first().size();
    m_rows.reserve(m_table.records.size());
    for (qsizetype r = first; r < m_table.records.size(); ++r) {
        const QStringList &record = m_table.records[r];
        Row row;
        row.line = m_table.lines[r];
        if (m_table.unclosedQuoteLine && r == m_table.records.size() - 1)
            continue; // the rest of the file went into one field: told once, above
        if (record.size() != width) {
            // A separator inside an unquoted text would shift every later column.
            m_problems << CsvProblem{row.line, 0, {},
                                     QStringLiteral("полей %1, а в первой строке %2").arg(record.size()).arg(width)};
            continue;
        }
        for (qsizetype c = 0; c < record.size(); ++c) {
            const CsvField f = m_settings.columns.value(c, CsvField::Skip);
            if (f != CsvField::Skip)
                convertCell(row, f, int(c) + 1, record[c]);
        }
        m_rows << row;
    }
}

void CsvImport::convertCell(Row &row, CsvField field, int column, const QString &cell)
{
    QString why;
    QVariant value;
    const bool empty = cell.trimmed().isEmpty();
    switch (field) {
    case CsvField::Name:
    case CsvField::Category:
    case CsvField::Year:
    case CsvField::Ide:
    case CsvField::Repository:
    case CsvField::SaleComment:
    case CsvField::Description: {
        const QString t = CsvValues::text(cell);
        const int limit = CsvColumns::maxLength(field);
        if (limit > 0 && t.size() > limit)
            why = QStringLiteral("длиннее %1 символов").arg(limit);
        else if (t.isEmpty() && field == CsvField::Name)
            why = QStringLiteral("нет названия");
        else if (t.isEmpty() && field == CsvField::Category)
            why = QStringLiteral("не указана категория");
        else if (t.isEmpty() && field == CsvField::Year)
            why = QStringLiteral("не указан год разработки");
        else if (!t.isEmpty())
            value = t;
        break;
    }
    case CsvField::Price:
    case CsvField::SaleSum:
        if (empty && field == CsvField::Price)
            why = QStringLiteral("не указана стоимость (можно указать 0)");
        else if (!empty)
            if (const auto m = CsvValues::money(cell, m_settings.format, &why))
                value = QVariant::fromValue<qlonglong>(m->units());
        break;
    case CsvField::Begin:
    case CsvField::End:
    case CsvField::Update:
    case CsvField::SaleDate:
        if (!empty)
            value = CsvValues::date(cell, m_settings.format.dateForm, &why);
        break;
    case CsvField::ExportProject:
    case CsvField::ExportDescription:
        if (!empty)
            if (const auto b = CsvValues::boolean(cell, &why))
                value = *b;
        break;
    case CsvField::ProjectCode:
        if (empty)
            why = QStringLiteral("не указан код проекта");
        else if (const auto k = CsvValues::integer(cell, &why))
            value = QVariant::fromValue<qlonglong>(*k);
        break;
    case CsvField::Skip:
        break;
    }
    if (!why.isEmpty())
        m_problems << CsvProblem{row.line, column, cell, why};
    row.values[size_t(field)] = value;
}

CsvCheck CsvImport::check(const Database &db) const
{
    return resolve(CsvCatalogue::read(db));
}

CsvCheck CsvImport::resolve(const CsvCatalogue &catalogue) const
{
    CsvCheck check;
    check.problems = m_problems;
    QHash<QString, int> namesSeen;
    for (const Row &row : m_rows) {
        if (m_settings.kind == CsvKind::Projects) {
            resolveProject(row, catalogue, check, namesSeen);
            continue;
        }
        const bool byCode = m_settings.matchByCode;
        const QVariant project = row[byCode ? CsvField::ProjectCode : CsvField::Name];
        if (project.isNull())
            continue; // told already
        const bool known = byCode ? catalogue.prices.contains(project.toLongLong())
                                  : catalogue.projects.contains(project.toString());
        if (known)
            ++check.toAdd;
        else
            check.problems << CsvProblem{row.line, columnOf(byCode ? CsvField::ProjectCode : CsvField::Name),
                                         project.toString(), QStringLiteral("нет такого проекта")};
    }
    std::stable_sort(check.problems.begin(), check.problems.end(),
                     [](const CsvProblem &a, const CsvProblem &b) { return a.line < b.line; });
    return check;
}

void CsvImport::resolveProject(const Row &row, const CsvCatalogue &catalogue, CsvCheck &check,
                               QHash<QString, int> &namesSeen) const
{
    const struct {
        CsvField field;
        const QHash<QString, qint64> &known;
        QStringList &missing;
    } references[] = {{CsvField::Category, catalogue.categories, check.newCategories},
                      {CsvField::Year, catalogue.years, check.newYears},
                      {CsvField::Ide, catalogue.ides, check.newIdes}};
    for (const auto &r : references) {
        const QString name = row[r.field].toString();
        if (!name.isEmpty() && !r.known.contains(name) && !r.missing.contains(name))
            r.missing << name;
    }
    const QString name = row[CsvField::Name].toString();
    if (name.isEmpty())
        return;
    if (const int earlier = namesSeen.value(name); earlier > 0) {
        check.problems << CsvProblem{row.line, columnOf(CsvField::Name), name,
                                     QStringLiteral("название повторяет строку %1").arg(earlier)};
        return;
    }
    namesSeen.insert(name, row.line);
    if (!catalogue.projects.contains(name))
        ++check.toAdd;
    else if (m_settings.updateExisting)
        ++check.toUpdate;
    else
        ++check.toSkip;
}

std::optional<CsvCheck> CsvImport::run(TDm &dm, bool createMissing,
                                       const std::function<bool(qint64, qint64)> &progress) const
{
    Database &db = *dm.ADOConnection;
    CsvCheck done;
    try {
        db.transaction([&] {
            CsvCatalogue catalogue = CsvCatalogue::read(db);
            done = resolve(catalogue);
            if (!done.ok())
                throw DataError(QStringLiteral("Файл не импортирован: %1.").arg(lineText(done.problems.first())));
            if (done.createsEntries() && !createMissing)
                throw DataError(QStringLiteral("Файл не импортирован: в каталоге нет категорий, годов или версий IDE "
                                               "из файла: %1.")
                                    .arg((done.newCategories + done.newYears + done.newIdes).join(QStringLiteral(", "))));
            store(db, catalogue, done, progress);
        });
    } catch (const Cancelled &) {
        return std::nullopt;
    }
    dm.reloadAll();
    return done;
}

void CsvImport::store(Database &db, CsvCatalogue &catalogue, const CsvCheck &check,
                      const std::function<bool(qint64, qint64)> &progress) const
{
    const Engine &engine = db.engine();
    const struct {
        const QStringList &names;
        const char *table, *key, *column;
        QHash<QString, qint64> &into;
    } entries[] = {{check.newCategories, "category", "cat_id", "catName", catalogue.categories},
                   {check.newYears, "years", "year_id", "name", catalogue.years},
                   {check.newIdes, "ide", "version_id", "ide", catalogue.ides}};
    for (const auto &e : entries) {
        if (e.names.isEmpty())
            continue;
        QSqlQuery q = db.prepare(engine.returningKey(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(QLatin1String(e.table), QLatin1String(e.column)),
            QLatin1String(e.key)));
        for (const QString &name : e.names) {
            q.bindValue(0, name);
            exec(q, db);
            e.into.insert(name, engine.insertedKey(q).toLongLong());
        }
    }

    const qint64 total = m_rows.size();
    const auto tell = [&](qint64 row) {
        if (!progress(row, total))
            throw Cancelled();
    };
    if (m_settings.kind == CsvKind::Projects) {
        for (qint64 r = 0; r < total; ++r) {
            if (r % ProgressRows == 0)
                tell(r);
            storeProject(db, catalogue, m_rows[r]);
        }
        tell(total);
        return;
    }
    QSqlQuery insert = db.prepare(
        QStringLiteral("INSERT INTO orders (project_id, date_orders, summ, comments) VALUES (?, ?, ?, ?)"));
    const QVariant today = Clock::today();
    for (qint64 r = 0; r < total; ++r) {
        if (r % ProgressRows == 0)
            tell(r);
        const Row &row = m_rows[r];
        const qint64 project = m_settings.matchByCode ? row[CsvField::ProjectCode].toLongLong()
                                                      : catalogue.projects.value(row[CsvField::Name].toString());
        insert.bindValue(0, project);
        insert.bindValue(1, SqlValues::toSql(FieldType::DateTime, mapped(CsvField::SaleDate) ? row[CsvField::SaleDate] : today));
        insert.bindValue(2, mapped(CsvField::SaleSum) ? SqlValues::toSql(FieldType::Money, row[CsvField::SaleSum])
                                                      : catalogue.prices.value(project));
        insert.bindValue(3, row[CsvField::SaleComment]);
        exec(insert, db);
    }
    tell(total);
}

void CsvImport::storeProject(Database &db, CsvCatalogue &catalogue, const Row &row) const
{
    const QString name = row[CsvField::Name].toString();
    const qint64 existing = catalogue.projects.value(name, -1);
    if (existing >= 0 && !m_settings.updateExisting)
        return;
    const auto keyOf = [&](CsvField f, const QHash<QString, qint64> &keys) {
        const QVariant v = row[f];
        return v.isNull() ? QVariant() : QVariant::fromValue<qlonglong>(keys.value(v.toString()));
    };
    const auto valueOf = [&](const Column &c) -> QVariant {
        switch (c.field) {
        case CsvField::Category:
            return keyOf(c.field, catalogue.categories);
        case CsvField::Year:
            return keyOf(c.field, catalogue.years);
        case CsvField::Ide:
            return keyOf(c.field, catalogue.ides);
        default:
            return SqlValues::toSql(c.type, row[c.field]);
        }
    };

    QStringList columns;
    QVariantList values;
    if (existing >= 0) {
        // Only the columns the file holds; an empty flag keeps the stored one.
        for (const Column &c : ProjectColumns) {
            if (c.field == CsvField::Name || !mapped(c.field))
                continue;
            columns << (c.type == FieldType::Boolean
                            ? QStringLiteral("%1 = COALESCE(?, %1)").arg(QLatin1String(c.name))
                            : QStringLiteral("%1 = ?").arg(QLatin1String(c.name)));
            values << valueOf(c);
        }
        if (columns.isEmpty())
            return;
        QSqlQuery q = db.prepare(QStringLiteral("UPDATE projects SET %1 WHERE project_id = ?")
                                     .arg(columns.join(QStringLiteral(", "))));
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        q.bindValue(int(values.size()), existing);
        exec(q, db);
        return;
    }
    // A new project: what the file holds, the rest as a new row starts.
    for (const Column &c : ProjectColumns) {
        QVariant v = mapped(c.field) ? valueOf(c) : QVariant();
        if (v.isNull() && c.field == CsvField::Price)
            v = QVariant::fromValue<qlonglong>(0);
        else if (v.isNull() && c.field == CsvField::ExportProject)
            v = 1;
        else if (v.isNull() && c.field == CsvField::ExportDescription)
            v = 0;
        else if (!mapped(c.field) && c.field == CsvField::Begin)
            v = SqlValues::toSql(FieldType::DateTime, Clock::today());
        columns << QLatin1String(c.name);
        values << v;
    }
    QSqlQuery q = db.prepare(db.engine().returningKey(
        QStringLiteral("INSERT INTO projects (%1) VALUES (%2)")
            .arg(columns.join(QStringLiteral(", ")), QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
        QStringLiteral("project_id")));
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    exec(q, db);
    catalogue.projects.insert(name, db.engine().insertedKey(q).toLongLong());
}
