#include "data/backup/Backup.h"

#include "data/core/Clock.h"
#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/SchemaCheck.h"
#include "data/sales/SalesSummary.h"
#include "data/trail/Trail.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace Backup {

namespace {

const char *const StampFormat = "yyyy-MM-dd_HHmmss";
const char *const OlderStampFormat = "yyyy-MM-dd_HHmm"; // copies made before the seconds were named
const int StepPages = 256; // short steps, so a writer waits little and cancel is quick
const int BusyStepMs = 100; // a lock is waited for in steps this short, so cancel is quick
const QString PartSuffix = QStringLiteral(".part");

// The name of a kind in a copy's file name; none for the daily copies.
QString kindTag(Kind kind)
{
    switch (kind) {
    case Kind::Manual:
        return QStringLiteral("manual");
    case Kind::BeforeRestore:
        return QStringLiteral("before-restore");
    default:
        return {};
    }
}

// "db-2026-12-09_183005.mdb", "db-2026-12-09_183005-manual.mdb", and "-2"
// before the extension for a second one that second.
struct Name {
    QString path;
    QDateTime made;
    Kind kind = Kind::Daily;
    int sequence = 1;
};

QRegularExpression namePattern(const QFileInfo &db)
{
    return QRegularExpression(
        QStringLiteral("^%1-(\\d{4}-\\d{2}-\\d{2}_\\d{4}(?:\\d{2})?)(?:-(manual|before-restore))?(?:-(\\d+))?\\.%2$")
            .arg(QRegularExpression::escape(db.completeBaseName()), QRegularExpression::escape(db.suffix())));
}

Kind kindOf(const QString &tag)
{
    for (Kind kind : {Kind::Manual, Kind::BeforeRestore})
        if (tag == kindTag(kind))
            return kind;
    return Kind::Daily;
}

// The copies of dbPath, newest first, read from their names alone.
QList<Name> names(const QString &dbPath)
{
    const QFileInfo db(dbPath);
    const QRegularExpression pattern = namePattern(db);
    const QDir folder(folderOf(dbPath));
    QList<Name> result;
    for (const QString &file : folder.entryList(QDir::Files)) {
        const auto m = pattern.match(file);
        if (!m.hasMatch())
            continue;
        const QString stamp = m.captured(1);
        const QDateTime made = QDateTime::fromString(
            stamp, QLatin1String(stamp.size() == 15 ? OlderStampFormat : StampFormat));
        if (made.isValid())
            result.append({folder.filePath(file), made, kindOf(m.captured(2)),
                           m.captured(3).isEmpty() ? 1 : m.captured(3).toInt()});
    }
    std::sort(result.begin(), result.end(), [](const Name &a, const Name &b) {
        return a.made != b.made ? a.made > b.made : a.sequence > b.sequence;
    });
    return result;
}

QString newName(const QString &dbPath, Kind kind)
{
    const QFileInfo db(dbPath);
    const QDir folder(folderOf(dbPath));
    QString stem = db.completeBaseName() + QLatin1Char('-') + Clock::now().toString(QLatin1String(StampFormat));
    if (kind != Kind::Daily)
        stem += QLatin1Char('-') + kindTag(kind);
    QString path = folder.filePath(QStringLiteral("%1.%2").arg(stem, db.suffix()));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1-%2.%3").arg(stem).arg(n).arg(db.suffix()));
    return path;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

struct Connection {
    sqlite3 *db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db)); }
};

void openConnection(Connection &c, const QString &path, int flags)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db, flags, nullptr) != SQLITE_OK)
        throw DataError(QStringLiteral("Не удалось открыть файл \"%1\".\n%2").arg(shown(path), c.error()));
    sqlite3_busy_timeout(c.db, BusyStepMs);
}

qint64 pageSize(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    qint64 size = 4096;
    if (sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        size = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return size;
}

void requireWritableFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw DataError(QStringLiteral("Не удалось создать папку резервных копий \"%1\".").arg(shown(folder)));
    if (!QFileInfo(folder).isWritable())
        throw DataError(QStringLiteral("В папку резервных копий \"%1\" нельзя записывать: копия не сделана.")
                            .arg(shown(folder)),
                        DataError::Kind::ReadOnly);
}

// What copies stopped midway (a killed program) left. Only while no other
// program copies into the folder: its lock says so.
void removeLeftovers(const QString &dbPath)
{
    QDir folder(folderOf(dbPath));
    const QString stem = QFileInfo(dbPath).completeBaseName() + QLatin1Char('-');
    for (const QString &file : folder.entryList({stem + QStringLiteral("*.part"), stem + QStringLiteral("*.part-*")},
                                                QDir::Files | QDir::Hidden))
        folder.remove(file);
}

// The folder, writable, locked while one program writes copies into it (a
// lock left by a killed program is taken over) and cleared of leftovers;
// when another program holds the lock, it is writing, and the leftovers wait.
std::unique_ptr<QLockFile> prepareFolder(const QString &dbPath)
{
    requireWritableFolder(folderOf(dbPath));
    auto lock = std::make_unique<QLockFile>(QDir(folderOf(dbPath)).filePath(QStringLiteral(".backup.lock")));
    lock->setStaleLockTime(0); // a long copy is no stale lock
    if (!lock->tryLock(0))
        return nullptr;
    removeLeftovers(dbPath);
    return lock;
}

// source written into target, the errors naming shownTarget instead of the
// file written in between.
bool copyInto(const QString &source, const QString &target, const QString &shownTarget, const ProgressFn &progress)
{
    try {
        return copyDatabase(source, target, progress);
    } catch (const DataError &e) {
        QFile::remove(target);
        throw DataError(QString(e.text()).replace(shown(target), shown(shownTarget)), e.kind());
    }
}

// A new copy, written beside its final name and renamed when complete.
QString makeCopy(const QString &dbPath, Kind kind, const ProgressFn &progress)
{
    const QString target = newName(dbPath, kind);
    const QString part = target + PartSuffix;
    if (!copyInto(dbPath, part, target, progress)) {
        QFile::remove(part);
        return {};
    }
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        throw DataError(QStringLiteral("Не удалось сохранить резервную копию \"%1\".").arg(shown(target)));
    }
    return target;
}

void rotate(const QString &dbPath, Kind kind)
{
    int kept = 0;
    for (const Name &name : names(dbPath))
        if (name.kind == kind && ++kept > limit(kind))
            QFile::remove(name.path);
}

// The progress of one part of a job that counts bytes from offset of total.
ProgressFn part(const ProgressFn &progress, qint64 offset, qint64 total)
{
    if (!progress)
        return {};
    return [=](qint64 done, qint64) { return progress(offset + done, total); };
}

// The copy as the program keeps its own file: its journal beside it (a copy
// made in WAL mode would turn the database file to WAL), and the sales
// summary and its triggers those of the program, filled from the sales.
void makeProgramsOwn(const QString &path)
{
    Database db(QStringLiteral("restore"));
    db.open(path);
    db.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    SalesSummary::rebuild(db);
    Trail::ensure(db);
}

} // namespace

int limit(Kind kind)
{
    switch (kind) {
    case Kind::Manual:
        return 10;
    case Kind::BeforeRestore:
        return 5;
    default:
        return 14; // one a day: two weeks of work
    }
}

QString folderOf(const QString &dbPath)
{
    return QFileInfo(dbPath).absoluteDir().filePath(QStringLiteral("backups"));
}

Copy inspect(const QString &path, bool fullCheck)
{
    Copy copy;
    const QFileInfo info(path);
    copy.path = path;
    copy.size = info.size();
    copy.made = info.lastModified();
    try {
        Database db(QStringLiteral("backupCheck"));
        db.open(path);
        if (fullCheck) {
            QSqlQuery check = db.exec(QStringLiteral("PRAGMA quick_check"));
            if (check.next() && check.value(0).toString() != QLatin1String("ok"))
                throw DataError(QStringLiteral("Файл повреждён: %1").arg(check.value(0).toString()));
        }
        checkSchema(db);
        QSqlQuery q = db.exec(QStringLiteral("SELECT (SELECT count(*) FROM projects), (SELECT count(*) FROM orders)"));
        if (q.next()) {
            copy.projects = q.value(0).toLongLong();
            copy.orders = q.value(1).toLongLong();
        }
    } catch (const DataError &e) {
        copy.problem = e.text();
    }
    return copy;
}

QList<Copy> list(const QString &dbPath)
{
    QList<Copy> copies;
    for (const Name &name : names(dbPath)) {
        Copy copy = inspect(name.path);
        copy.made = name.made;
        copy.kind = name.kind;
        copies.append(copy);
    }
    return copies;
}

bool copyDatabase(const QString &source, const QString &target, const ProgressFn &progress, int busyWaitMs)
{
    Connection from, to;
    openConnection(from, source, SQLITE_OPEN_READONLY);
    openConnection(to, target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_backup *backup = sqlite3_backup_init(to.db, "main", from.db, "main");
    if (!backup)
        throw DataError(QStringLiteral("Не удалось начать копирование базы данных.\n%1").arg(to.error()));
    const qint64 bytesPerPage = pageSize(from.db);
    int rc = SQLITE_OK;
    bool cancelled = false;
    QDeadlineTimer busyUntil(busyWaitMs);
    while (true) {
        rc = sqlite3_backup_step(backup, StepPages);
        if (rc != SQLITE_OK && rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        const qint64 total = sqlite3_backup_pagecount(backup);
        const qint64 done = total - sqlite3_backup_remaining(backup);
        if (progress && !progress(done * bytesPerPage, total * bytesPerPage)) {
            cancelled = true;
            break;
        }
        if (rc == SQLITE_OK)
            busyUntil.setRemainingTime(busyWaitMs);
        else if (busyUntil.hasExpired())
            break;
    }
    // Finishing before the last step rolls back what was written into target.
    sqlite3_backup_finish(backup);
    if (cancelled)
        return false;
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        throw DataError(QStringLiteral("Файл базы данных занят другой программой: копирование не сделано. "
                                       "Повторите попытку позже."),
                        DataError::Kind::Locked);
    if (rc != SQLITE_DONE)
        throw DataError(QStringLiteral("Не удалось скопировать базу данных в \"%1\".\n%2").arg(shown(target), to.error()));
    return true;
}

QString make(const QString &dbPath, Kind kind, const ProgressFn &progress)
{
    const auto lock = prepareFolder(dbPath);
    const QString copy = makeCopy(dbPath, kind, progress);
    if (!copy.isEmpty())
        rotate(dbPath, kind);
    return copy;
}

QString makeIfDue(const QString &dbPath, const ProgressFn &progress)
{
    const QFileInfo db(dbPath);
    const QString folder = folderOf(dbPath);
    if (!db.isWritable() || !QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
        return {};
    for (const Name &newest : names(dbPath)) {
        if (newest.kind != Kind::Daily)
            continue;
        if (newest.made.date() == Clock::today() || db.lastModified() <= QFileInfo(newest.path).lastModified())
            return {};
        break;
    }
    return make(dbPath, Kind::Daily, progress);
}

QString restore(const QString &dbPath, const QString &copyPath, const ProgressFn &progress)
{
    const Copy chosen = inspect(copyPath, true);
    if (!chosen.isUsable())
        throw DataError(QStringLiteral("Копия \"%1\" не является базой данных программы, восстановление отменено.\n%2")
                            .arg(QFileInfo(copyPath).fileName(), chosen.problem));
    const qint64 current = QFileInfo(dbPath).size();
    const qint64 total = current + 2 * chosen.size;
    const auto lock = prepareFolder(dbPath);
    const QString before = makeCopy(dbPath, Kind::BeforeRestore, part(progress, 0, total));
    if (before.isEmpty())
        return {};
    // The copy is made the program's own beside it, so the file is replaced in one step.
    const QString prepared = QDir(folderOf(dbPath)).filePath(QFileInfo(dbPath).completeBaseName()
                                                             + QStringLiteral("-restore") + PartSuffix);
    struct Removed {
        QString path;
        ~Removed() { QFile::remove(path); }
    } removed{prepared};
    QFile::remove(prepared);
    if (!copyInto(copyPath, prepared, dbPath, part(progress, current, total)))
        return {};
    makeProgramsOwn(prepared);
    if (!copyDatabase(prepared, dbPath, part(progress, current + chosen.size, total)))
        return {};
    rotate(dbPath, Kind::BeforeRestore);
    return before;
}

} // namespace Backup
