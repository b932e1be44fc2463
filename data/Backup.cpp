#include "Backup.h"

#include "Clock.h"
#include "DataError.h"
#include "Database.h"
#include "UnitDM.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <sqlite3.h>

namespace Backup {

namespace {

const char *const StampFormat = "yyyy-MM-dd_HHmm";
const int StepPages = 256; // short steps, so a writer waits little and cancel is quick

// "db-2026-12-09_1830.mdb", "db-2026-12-09_1830-2.mdb" for a second one that minute.
struct Name {
    QString path;
    QDateTime made;
    int sequence = 1;
};

QRegularExpression namePattern(const QFileInfo &db)
{
    return QRegularExpression(QStringLiteral("^%1-(\\d{4}-\\d{2}-\\d{2}_\\d{4})(?:-(\\d+))?\\.%2$")
                                  .arg(QRegularExpression::escape(db.completeBaseName()),
                                       QRegularExpression::escape(db.suffix())));
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
        const QDateTime made = QDateTime::fromString(m.captured(1), QLatin1String(StampFormat));
        if (made.isValid())
            result.append({folder.filePath(file), made, m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    std::sort(result.begin(), result.end(), [](const Name &a, const Name &b) {
        return a.made != b.made ? a.made > b.made : a.sequence > b.sequence;
    });
    return result;
}

QString newName(const QString &dbPath)
{
    const QFileInfo db(dbPath);
    const QDir folder(folderOf(dbPath));
    const QString stem = db.completeBaseName() + QLatin1Char('-')
        + Clock::now().toString(QLatin1String(StampFormat));
    QString path = folder.filePath(QStringLiteral("%1.%2").arg(stem, db.suffix()));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1-%2.%3").arg(stem).arg(n).arg(db.suffix()));
    return path;
}

struct Connection {
    sqlite3 *db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db)); }
};

void openConnection(Connection &c, const QString &path, int flags)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db, flags, nullptr) != SQLITE_OK)
        throw DataError(QStringLiteral("Не удалось открыть файл \"%1\".\n%2")
                            .arg(QDir::toNativeSeparators(path), c.error()));
    sqlite3_busy_timeout(c.db, 5000);
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

// A new copy, written beside its final name and renamed when complete.
QString makeCopy(const QString &dbPath, const ProgressFn &progress)
{
    const QString folder = folderOf(dbPath);
    if (!QDir().mkpath(folder))
        throw DataError(QStringLiteral("Не удалось создать папку резервных копий \"%1\".")
                            .arg(QDir::toNativeSeparators(folder)));
    const QString target = newName(dbPath);
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    try {
        if (!copyDatabase(dbPath, part, progress)) {
            QFile::remove(part);
            return {};
        }
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        throw DataError(QStringLiteral("Не удалось сохранить резервную копию \"%1\".")
                            .arg(QDir::toNativeSeparators(target)));
    }
    return target;
}

// The progress of one part of a job that counts bytes from offset of total.
ProgressFn part(const ProgressFn &progress, qint64 offset, qint64 total)
{
    if (!progress)
        return {};
    return [=](qint64 done, qint64) { return progress(offset + done, total); };
}

} // namespace

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
        TDm::checkSchema(db);
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
        copies.append(copy);
    }
    return copies;
}

bool copyDatabase(const QString &source, const QString &target, const ProgressFn &progress)
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
        if (rc != SQLITE_OK)
            sqlite3_sleep(20);
    }
    // Finishing before the last step rolls back what was written into target.
    sqlite3_backup_finish(backup);
    if (cancelled)
        return false;
    if (rc != SQLITE_DONE)
        throw DataError(QStringLiteral("Не удалось скопировать базу данных в \"%1\".\n%2")
                            .arg(QDir::toNativeSeparators(target), to.error()));
    return true;
}

QString make(const QString &dbPath, const ProgressFn &progress)
{
    const QString copy = makeCopy(dbPath, progress);
    if (!copy.isEmpty())
        rotate(dbPath);
    return copy;
}

QString makeIfDue(const QString &dbPath)
{
    const QFileInfo db(dbPath);
    const QString folder = folderOf(dbPath);
    if (!db.isWritable() || !QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
        return {};
    const QList<Name> copies = names(dbPath);
    if (!copies.isEmpty()) {
        const Name &newest = copies.first();
        if (newest.made.date() == Clock::today()
            || db.lastModified() <= QFileInfo(newest.path).lastModified())
            return {};
    }
    try {
        return make(dbPath);
    } catch (const DataError &) {
        return {}; // the automatic copy never bothers the user
    }
}

void rotate(const QString &dbPath, int keep)
{
    const QList<Name> copies = names(dbPath);
    for (int i = keep; i < copies.size(); ++i)
        QFile::remove(copies[i].path);
}

bool restore(const QString &dbPath, const QString &copyPath, const ProgressFn &progress)
{
    const Copy chosen = inspect(copyPath, true);
    if (!chosen.isUsable())
        throw DataError(QStringLiteral("Копия \"%1\" не является базой данных программы, восстановление отменено.\n%2")
                            .arg(QFileInfo(copyPath).fileName(), chosen.problem));
    const qint64 current = QFileInfo(dbPath).size();
    const qint64 total = current + chosen.size;
    if (makeCopy(dbPath, part(progress, 0, total)).isEmpty())
        return false;
    if (!copyDatabase(copyPath, dbPath, part(progress, current, total)))
        return false;
    rotate(dbPath);
    return true;
}

} // namespace Backup
