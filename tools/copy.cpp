// projectsales-copy FROM TO: copies a whole catalogue between a db.mdb file
// and a server database (either way, or file to file, server to server):
// every table with its keys, pictures and exact money. The target must be
// empty (a file that does not exist yet, a server database without the
// tables, or one whose tables hold no rows); it is filled in one transaction
// and checked row by row against the source before that is committed. A
// source that can't be read whole (a damaged page) fails the copy, which
// then leaves no target behind: a file source is checked page by page first.
// FROM may be a legacy Access (Jet 4) catalogue: it is converted, and rows
// that the catalogue's rules refuse stop it with their list, or, with
// --repair, are converted with the repairs the list spells out.

#include "ConsoleText.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/engine/JetHeader.h"
#include "data/legacy/LegacyConversion.h"
#include "data/trail/Trail.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

namespace {

// What a table holds, compared between the two engines: the same rows in key
// order give the same digest whatever types each engine hands back.
struct Content {
    qint64 rows = 0;
    QByteArray digest;
};

class Digest
{
public:
    void addRow(const QSqlQuery &q, int columns)
    {
        for (int i = 0; i < columns; ++i) {
            const QVariant v = q.value(i);
            const QByteArray bytes = v.isNull() ? QByteArray()
                : v.typeId() == QMetaType::QByteArray ? v.toByteArray()
                                                      : v.toString().toUtf8();
            m_hash.addData(v.isNull() ? "N" : v.typeId() == QMetaType::QByteArray ? "B" : "T");
            m_hash.addData(QByteArray::number(bytes.size()) + ':');
            m_hash.addData(bytes);
        }
        ++m_rows;
    }
    Content result() const { return {m_rows, m_hash.result()}; }

private:
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    qint64 m_rows = 0;
};

// The rows of a bin entry have no key: they are read in the order of their
// entry and their own first column, alike on both engines.
QString selectAll(const Database &db, const QString &table, const QStringList &columns)
{
    const bool keyless = table.startsWith(QLatin1String("trail_bin_"));
    return QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
        .arg(columns.join(QLatin1String(", ")), table,
             keyless ? QStringLiteral("1, 2") : db.engine().rowIdColumn(db, table));
}

// The columns both sides have, in the source's order.
QStringList sharedColumns(const Database &from, const Database &to, const QString &table)
{
    QStringList target;
    for (const QString &c : to.engine().columns(to, table))
        target << c.toLower();
    QStringList shared;
    for (const QString &c : from.engine().columns(from, table))
        if (target.contains(c.toLower()))
            shared << c;
    if (shared.isEmpty())
        throw DataError(QStringLiteral("таблица %1 есть только в одном из каталогов").arg(table));
    return shared;
}

// A read that ends early is an error, not the end of the table: a damaged
// page stops the rows without a word otherwise.
void requireReadToTheEnd(const QSqlQuery &rows, const QString &table, qint64 read, const QString &shown)
{
    if (rows.lastError().isValid())
        throw DataError(QStringLiteral("Ошибка чтения таблицы %1 из %2 после %3 строк: копирование отменено.\n%4")
                            .arg(table, shown).arg(read)
                            .arg((rows.lastError().databaseText().isEmpty() ? rows.lastError().text()
                                                                            : rows.lastError().databaseText())
                                     .simplified()));
}

QString countLine(const QString &table, qint64 rows)
{
    return QStringLiteral("%1: строк %2, проверено").arg(table).arg(rows);
}

qint64 rowCount(const Database &db, const QString &table)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    return q.next() ? q.value(0).toLongLong() : -1;
}

Content copyTable(const Database &from, const Database &to, const CatalogueTable &table,
                  const QStringList &columns)
{
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery insert = to.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(table.name, columns.join(QLatin1String(", ")),
                                           marks.join(QLatin1String(", "))));
    QSqlQuery rows = from.exec(selectAll(from, table.name, columns));
    Digest digest;
    qint64 maxKey = 0;
    const int keyIndex = table.key.isEmpty() ? -1 : int(columns.indexOf(table.key));
    while (rows.next()) {
        for (int i = 0; i < columns.size(); ++i)
            insert.bindValue(i, rows.value(i));
        if (!insert.exec())
            throw DataError(QStringLiteral("%1: %2").arg(table.name, insert.lastError().text()));
        digest.addRow(rows, int(columns.size()));
        if (keyIndex >= 0)
            maxKey = qMax(maxKey, rows.value(keyIndex).toLongLong());
    }
    const Content read = digest.result();
    requireReadToTheEnd(rows, table.name, read.rows, from.engine().displayName(from.path()));
    // Counted along another path of the source (an index), so a table that
    // ends early on both paths alike is the only one that passes.
    if (const qint64 counted = rowCount(from, table.name); counted != read.rows)
        throw DataError(QStringLiteral("Таблица %1 из %2: прочитано %3 строк из %4; копирование отменено.")
                            .arg(table.name, from.engine().displayName(from.path()))
                            .arg(read.rows)
                            .arg(counted));
    // Keys handed out in the source and deleted since are not handed out again.
    if (!table.key.isEmpty())
        to.engine().setLastKey(to, table.name, table.key,
                               qMax(maxKey, from.engine().lastKey(from, table.name, table.key)));
    return read;
}

Content readBack(const Database &db, const QString &table, const QStringList &columns)
{
    QSqlQuery rows = db.exec(selectAll(db, table, columns));
    Digest digest;
    while (rows.next())
        digest.addRow(rows, int(columns.size()));
    const Content stored = digest.result();
    requireReadToTheEnd(rows, table, stored.rows, db.engine().displayName(db.path()));
    return stored;
}

void requireEmpty(const Database &db, const QString &shown)
{
    for (const CatalogueTable &t : catalogueTables()) {
        if (!db.engine().hasTable(db, t.name))
            throw DataError(QStringLiteral("в %1 нет таблицы %2; это не каталог программы").arg(shown, t.name));
        QSqlQuery q = db.exec(QStringLiteral("SELECT count(*) FROM %1").arg(t.name));
        if (q.next() && q.value(0).toLongLong() > 0)
            throw DataError(QStringLiteral("%1 не пуст (в таблице %2 есть строки); копировать в него нельзя")
                                .arg(shown, t.name));
    }
}

// The bin and the history go along where the source keeps them (a copy is
// a whole catalogue); the target gets them first if it lacks them.
QVector<CatalogueTable> trailTablesOf(const Database &from, Database &to)
{
    QVector<CatalogueTable> tables;
    if (!Trail::ensure(to))
        return tables;
    for (const CatalogueTable &t : Trail::tables())
        if (from.engine().hasTable(from, t.name))
            tables << t;
    return tables;
}

void requireSound(const Database &db, const QString &shown)
{
    QString damage;
    try {
        damage = db.engine().damage(db);
    } catch (const DataError &e) {
        damage = e.detail().isEmpty() ? e.text() : e.detail();
    }
    if (!damage.isEmpty())
        throw DataError(QStringLiteral("Файл %1 поврежден: копирование не начато, ничего не записано.\n%2")
                            .arg(shown, damage));
}

// A file that does not exist yet, or a server database without the tables,
// gets the schema first.
void prepareTarget(const QString &location)
{
    if (Engine::isServerUrl(location)) {
        Database probe(QStringLiteral("probe"));
        probe.open(location);
        if (probe.engine().hasTable(probe, QStringLiteral("projects")))
            return;
        probe.close();
    } else if (QFileInfo::exists(location)) {
        return;
    }
    Database::create(location);
}

int copy(const QString &fromLocation, const QString &toLocation)
{
    Database from(QStringLiteral("from"));
    Database to(QStringLiteral("to"));
    from.open(fromLocation);
    const QString shownFrom = from.engine().displayName(fromLocation);
    for (const CatalogueTable &t : catalogueTables())
        if (!from.engine().hasTable(from, t.name))
            return fail(QStringLiteral("в %1 нет таблицы %2; это не каталог программы").arg(shownFrom, t.name));
    requireSound(from, shownFrom);
    const bool newFile = !Engine::isServerUrl(toLocation) && !QFileInfo::exists(toLocation);
    prepareTarget(toLocation);
    to.open(toLocation);
    const QString shownTo = to.engine().displayName(toLocation);
    try {
        requireEmpty(to, shownTo);
        const QVector<CatalogueTable> trail = trailTablesOf(from, to);
        // The rows copied are the source as it is; its history comes along whole.
        Trail::withoutHistory(to, [&] {
            for (const CatalogueTable &t : catalogueTables() + trail) {
                QStringList columns = sharedColumns(from, to, t.name);
                // A row key of the server's own (configs) is handed out by the target.
                if (t.key.isEmpty() && !trail.contains(t))
                    columns.removeAll(to.engine().rowIdColumn(to, t.name));
                const Content copied = copyTable(from, to, t, columns);
                const Content stored = readBack(to, t.name, columns);
                if (stored.rows != copied.rows || stored.digest != copied.digest)
                    throw DataError(QStringLiteral("%1: прочитанные строки (%2) и записанные (%3) различаются; ничего не скопировано")
                                        .arg(t.name).arg(copied.rows).arg(stored.rows));
                printLine(countLine(t.name, copied.rows));
            }
        });
        to.engine().settleAfterLoad(to);
    } catch (...) {
        to.close();
        if (newFile)
            QFile::remove(toLocation);
        throw;
    }
    printLine(QStringLiteral("Каталог %1 скопирован в %2.").arg(shownFrom, shownTo));
    return Ok;
}

// A legacy Access file: checked first, nothing written while rows break
// the catalogue's rules (unless repairs are asked for).
int convertLegacy(const QString &fromLocation, const QString &toLocation, bool repair)
{
    QTextStream out(stdout);
    LegacyConversion conversion(fromLocation);
    conversion.check();
    const QStringList problems = legacyProblemLines(conversion.problems());
    if (!problems.isEmpty() && !repair) {
        QTextStream err(stderr);
        err << QStringLiteral("%1 строк(и) не подходят под правила каталога; ничего не записано. "
                              "С ключом --repair они будут перенесены с такими исправлениями:")
                   .arg(problems.size())
            << Qt::endl;
        for (const QString &line : problems)
            err << "  " << line << Qt::endl;
        return Failed;
    }
    if (!problems.isEmpty()) {
        out << QStringLiteral("Исправления:") << Qt::endl;
        for (const QString &line : problems)
            out << "  " << line << Qt::endl;
    }
    const bool newFile = !Engine::isServerUrl(toLocation) && !QFileInfo::exists(toLocation);
    prepareTarget(toLocation);
    Database to(QStringLiteral("to"));
    try {
        to.open(toLocation);
        requireEmpty(to, to.engine().displayName(toLocation));
        conversion.write(to);
    } catch (...) {
        to.close();
        if (newFile)
            QFile::remove(toLocation);
        throw;
    }
    for (const QString &note : conversion.notes())
        out << QStringLiteral("Замечание: ") << note << Qt::endl;
    for (const auto &[table, rows] : conversion.counts())
        printLine(countLine(table, rows));
    printLine(QStringLiteral("Каталог %1 перенесён в %2.").arg(fromLocation, to.engine().displayName(toLocation)));
    return Ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    startConsoleTool(QStringLiteral("projectsales-copy"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Копирует весь каталог между файлом каталога и базой данных PostgreSQL\n"
        "(postgresql://пользователь@сервер:порт/база). Цель должна быть пустой."));
    const QCommandLineOption repair(QStringLiteral("repair"),
                                    QStringLiteral("Для старого файла Access (Jet 4) в ИСТОЧНИКЕ: перенести строки, "
                                                   "которые правила каталога не принимают, с напечатанными "
                                                   "исправлениями, а не останавливаться."));
    parser.addOption(repair);
    parser.addPositionalArgument(QStringLiteral("ИСТОЧНИК"),
                                 QStringLiteral("Копируемый каталог или старый файл Access."));
    parser.addPositionalArgument(QStringLiteral("ЦЕЛЬ"), QStringLiteral("Пустой каталог, который будет заполнен."));
    const QStringList args = parseCommandLine(parser, app.arguments());
    if (args.size() != 2 || args.at(0).isEmpty() || args.at(1).isEmpty())
        return fail(QStringLiteral("нужны ИСТОЧНИК и ЦЕЛЬ.\n") + parser.helpText(), BadUsage);
    try {
        if (!Engine::isServerUrl(args.at(0)) && isAccessKind(storedFileKind(args.at(0))))
            return convertLegacy(args.at(0), args.at(1), parser.isSet(repair));
        return copy(args.at(0), args.at(1));
    } catch (const DataError &e) {
        return fail(e.text());
    }
}
