// Backups of the database file: consistent while another connection writes,
// each kind kept apart, the daily copy, cancelling, leftovers of a stopped
// copy, a file held by another program, restore through the window with the
// data reloaded and made the program's own, and copies that are no catalogue
// refused.
#include "app/DatasetModel.h"
#include "app/DBGrid.h"
#include "data/backup/Backup.h"
#include "data/backup/BackupJob.h"
#include "data/core/Clock.h"
#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/sales/SalesSummary.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "service/Unit_backups.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QDateTime at(int day, int hour = 10)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, 30));
}

void touch(const QString &path, const QDateTime &modified)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

int countOf(const QList<Backup::Copy> &copies, Backup::Kind kind)
{
    return int(std::count_if(copies.begin(), copies.end(), [kind](const Backup::Copy &c) { return c.kind == kind; }));
}

#ifdef Q_OS_UNIX
// What fn says when run as nobody in a child process: root writes anywhere.
QString asNobody(const std::function<QString()> &fn)
{
    int out[2];
    if (pipe(out) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        ::close(out[0]);
        QByteArray said = "could not become nobody";
        if (geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0))
            said = fn().toUtf8();
        const ssize_t written = write(out[1], said.constData(), size_t(said.size()));
        _exit(written == said.size() ? 0 : 1);
    }
    ::close(out[1]);
    QByteArray said;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, int(n));
    ::close(out[0]);
    waitpid(child, nullptr, 0);
    return QString::fromUtf8(said);
}
#endif

// Counts and soundness of a copy, read through a connection of its own.
QString checkOf(const QString &path)
{
    const Backup::Copy c = Backup::inspect(path, true);
    return c.isUsable() ? QStringLiteral("%1/%2").arg(c.projects).arg(c.orders) : c.problem;
}

} // namespace

class TestServiceBackups : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> rec;

    QString folder() const { return Backup::folderOf(db->path()); }

    QString makeAt(const QDateTime &moment, Backup::Kind kind = Backup::Kind::Manual)
    {
        Clock::set(moment);
        return Backup::make(db->path(), kind);
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        db = std::make_unique<TestDb>();
        db->fillSample();
        rec = std::make_unique<RecordingSeams>();
    }

    void cleanup()
    {
        rec.reset();
        db.reset();
        Clock::reset();
    }

    void copyTakenDuringAnotherWriteHoldsTheCommittedRowsOnly()
    {
        // The other writer's pages overflow its cache into the file itself, so
        // a plain copy of the file now would hold rows never committed.
        db->exec("PRAGMA cache_size = 5");
        const qint64 committedSize = QFileInfo(db->path()).size();
        db->exec("BEGIN IMMEDIATE");
        for (int i = 0; i < 40; ++i)
            db->exec("INSERT INTO projects (cat_id, tovName, price, screenshots) VALUES (1, ?, 1, ?)",
                     {QStringLiteral("Не записан %1").arg(i), QByteArray(8192, 'u')});
        QVERIFY(QFileInfo(db->path()).size() > committedSize);

        Clock::set(at(9));
        BackupJob job;
        const QString source = db->path();
        job.start([source](const Backup::ProgressFn &p) { return Backup::make(source, Backup::Kind::Manual, p); });
        QTest::qWait(300);
        QVERIFY2(job.isRunning(), "the copy waits for the writer");
        db->exec("ROLLBACK");
        QTRY_VERIFY_WITH_TIMEOUT(!job.isRunning(), 15000);

        QCOMPARE(job.error(), QString());
        QCOMPARE(QFileInfo(job.result()).fileName(), QStringLiteral("db-2026-12-09_103000-manual.mdb"));
        QCOMPARE(checkOf(job.result()), QStringLiteral("4/3"));
        // A second copy in the same second gets a name of its own.
        db->exec("DELETE FROM orders");
        QCOMPARE(QFileInfo(makeAt(at(9))).fileName(), QStringLiteral("db-2026-12-09_103000-manual-2.mdb"));
        QCOMPARE(Backup::list(db->path()).first().orders, 0);
    }

    // Twelve presses of "Создать копию" and six restores push out no daily
    // copy: each kind keeps its own number.
    void eachKindIsKeptApartAndTheDailyCopyOnlyWhenDue()
    {
        for (int day = 1; day <= 16; ++day)
            makeAt(at(day), Backup::Kind::Daily);
        for (int i = 0; i < 12; ++i)
            makeAt(at(16, 11), Backup::Kind::Manual);
        for (int i = 0; i < 6; ++i)
            makeAt(at(16, 12), Backup::Kind::BeforeRestore);
        const QList<Backup::Copy> copies = Backup::list(db->path());
        QCOMPARE(countOf(copies, Backup::Kind::Daily), 14);
        QCOMPARE(countOf(copies, Backup::Kind::Manual), 10);
        QCOMPARE(countOf(copies, Backup::Kind::BeforeRestore), 5);
        QCOMPARE(copies.last().made, at(3));
        QCOMPARE(filesIn(folder()).size(), 29);

        const QString newestDaily = folder() + "/db-2026-12-16_103000.mdb";
        Clock::set(at(16, 18));
        QVERIFY2(Backup::makeIfDue(db->path()).isEmpty(), "one a day");
        Clock::set(at(17));
        touch(newestDaily, QDateTime::currentDateTime().addSecs(3600));
        QVERIFY2(Backup::makeIfDue(db->path()).isEmpty(), "the file did not change since the newest copy");
        touch(newestDaily, QDateTime::currentDateTime().addSecs(-3600));
        QCOMPARE(QFileInfo(Backup::makeIfDue(db->path())).fileName(), QStringLiteral("db-2026-12-17_103000.mdb"));
    }

    // A copy stopped midway (the program killed) leaves its part behind: the
    // next copy removes it. A folder that can't be written is named as such.
    void leftoversGoAtTheNextCopyAndAReadOnlyFolderIsNamed()
    {
        QVERIFY(QDir().mkpath(folder()));
        for (const char *name : {"db-2026-12-08_103000.mdb.part", "db-2026-12-08_103000.mdb.part-journal"}) {
            QFile left(folder() + "/" + name);
            QVERIFY(left.open(QIODevice::WriteOnly));
            left.write(QByteArray(100000, 'p'));
        }
        QCOMPARE(filesIn(folder()).size(), 2);
        const QString copy = makeAt(at(9));
        QCOMPARE(filesIn(folder()), QStringList{QFileInfo(copy).fileName()});
#ifdef Q_OS_UNIX
        QFile::setPermissions(db->dir(), QFile::permissions(db->dir()) | QFileDevice::ExeOther);
        QFile::setPermissions(db->path(), QFile::permissions(db->path()) | QFileDevice::ReadOther);
        QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                            | QFileDevice::ExeOther);
        const QString source = db->path();
        const QString said = asNobody([source] {
            try {
                Backup::make(source);
            } catch (const DataError &e) {
                return e.text();
            }
            return QStringLiteral("made");
        });
        QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY2(said.startsWith("В папку резервных копий") && said.contains(QDir::toNativeSeparators(folder()))
                     && !said.contains(".part"),
                 qPrintable(said));
#endif
    }

    void cancelledCopyLeavesNoPart()
    {
        // Larger than one step of the copy, so the copy is asked whether to go on.
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 1", {QByteArray(3 << 20, 'x')});
        Clock::set(at(9));
        int asked = 0;
        QVERIFY(Backup::make(db->path(), Backup::Kind::Manual, [&](qint64, qint64) { return ++asked < 2; }).isEmpty());
        QCOMPARE(asked, 2);
        QCOMPARE(filesIn(folder()), QStringList());
    }

    void automaticCopyRunsOnAWorkerThread()
    {
        db->openDm();
        TfrmBackups window;
        Clock::set(at(9));
        window.startAutomaticBackup();
        QVERIFY(window.isBusy());
        QTRY_VERIFY(!window.isBusy());
        QCOMPARE(filesIn(folder()), QStringList({"db-2026-12-09_103000.mdb"}));
        window.startAutomaticBackup(); // the same day: none
        QTRY_VERIFY(!window.isBusy());
        QCOMPARE(filesIn(folder()).size(), 1);
        QVERIFY(rec->errors.isEmpty() && rec->notices.isEmpty());
    }

    void restoreReplacesTheDataAndTheWindowsShowIt()
    {
        makeAt(at(9));
        TDm *dm = db->openDm();
        TfrmMain main;
        main.bindData();
        main.filterCategory();
        TfrmBackups window;
        window.bindData();
        QVERIFY(dm->tblProject->locate("project_id", 1));
        dm->deleteProjectWithOrders();
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 3);

        Clock::set(at(9, 11));
        window.show();
        QCOMPARE(window.gridCopies->rowCount(), 1);
        QCOMPARE(window.gridCopies->item(0, 1)->text(), QStringLiteral("вручную"));
        QCOMPARE(window.gridCopies->item(0, 3)->text(), QStringLiteral("4"));
        window.btnRestore->click();

        QVERIFY2(rec->errors.isEmpty(), qPrintable(rec->errors.join('\n')));
        QCOMPARE(rec->questions.size(), 1);
        QVERIFY2(rec->questions[0].text.contains("09.12.2026 10:30:00 (проектов: 4, продаж: 3)"),
                 qPrintable(rec->questions[0].text));
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].text, "Данные программы заменены копией от 09.12.2026 10:30:00 (проектов: 4, продаж: 3).\n"
                                       "Прежние данные сохранены в копии "
                                           + QDir::toNativeSeparators(folder() + "/db-2026-12-09_113000-before-restore.mdb")
                                           + ".");
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 4);
        QCOMPARE(main.gridAuto->model()->rowCount(), 3);
        QVERIFY(dm->tblProject->locate("project_id", 1));
        QCOMPARE(main.DBGrid1->model()->rowCount(), 2); // its sales are back
        // The data replaced was kept first, and the list shows both copies.
        QCOMPARE(window.gridCopies->rowCount(), 2);
        QCOMPARE(window.copies().first().projects, 3);
        QCOMPARE(window.gridCopies->item(0, 0)->text(), QStringLiteral("09.12.2026 11:30:00"));
        QCOMPARE(window.gridCopies->item(0, 1)->text(), QStringLiteral("перед восстановлением"));
        QVERIFY(!rec->progressTexts.isEmpty());

        // A copy asked for says where it went.
        Clock::set(at(9, 12));
        window.btnCreate->click();
        QTRY_VERIFY(!window.isBusy());
        QCOMPARE(rec->notices.size(), 2);
        QCOMPARE(rec->notices[1].text, "Резервная копия создана: "
                                           + QDir::toNativeSeparators(folder() + "/db-2026-12-09_123000-manual.mdb"));
    }

    // A copy made in WAL mode, its summary wrong and a trigger lost (another
    // tool, an older program): what is restored has the program's summary,
    // triggers and journal mode, and the totals follow the next sale.
    void aRestoredCopyGetsTheProgramsSummaryTriggersAndJournal()
    {
        const QString copy = makeAt(at(9));
        {
            Database other(QStringLiteral("other"));
            other.open(copy);
            other.exec("PRAGMA journal_mode = WAL");
            other.exec("DROP TRIGGER orders_sales_month_insert");
            other.exec("UPDATE sales_month SET sales = sales + 7");
        }
        QVERIFY(Backup::restore(db->path(), copy).endsWith("-before-restore.mdb"));
        QCOMPARE(db->scalar("PRAGMA journal_mode").toString(), QString("delete"));
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (1, '2026-12-09', 10)");
        Database restored;
        restored.open(db->path());
        QVERIFY(SalesSummary::present(restored));
        QCOMPARE(db->scalar("SELECT sum(sales) FROM sales_month").toInt(), 4);
        QCOMPARE(db->scalar("SELECT sales FROM sales_month WHERE month = '2026-12'").toInt(), 1);
        QVERIFY(!QFileInfo::exists(db->path() + "-wal"));
    }

    // The daily copy runs unasked: when it fails (a full disk), the user is told.
    void aFailedDailyCopyIsTold()
    {
        QTemporaryDir disk;
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=400k", "tmpfs", disk.path()}) != 0)
            QSKIP("a small file system can't be mounted here (needs root)");
        auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk.path()}); });
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 1", {QByteArray(250000, 'x')});
        const QString full = disk.filePath("db.mdb");
        QVERIFY(QFile::copy(db->path(), full));
        {
            TDm dm(full);
            Dm = &dm;
            TfrmBackups window;
            Clock::set(at(9));
            window.startAutomaticBackup();
            QTRY_VERIFY(!window.isBusy());
            Dm = nullptr;
        }
        QCOMPARE(rec->errors.size(), 1);
        QVERIFY2(rec->errors[0].startsWith("Ежедневная резервная копия не сделана.\n"), qPrintable(rec->errors[0]));
        QCOMPARE(filesIn(Backup::folderOf(full)), QStringList());
    }

    // Another program holds the file: a copy waits for it only so long, and
    // closing the program ends the wait of the daily copy at once.
    void aFileHeldByAnotherProgramIsWaitedForBoundedlyAndClosingWins()
    {
        db->openDm();
        db->exec("BEGIN EXCLUSIVE");
        const QString target = db->dir() + "/copy.mdb";
        try {
            Backup::copyDatabase(db->path(), target, {}, 300);
            QFAIL("copied a file held exclusively");
        } catch (const DataError &e) {
            QCOMPARE(e.kind(), DataError::Kind::Locked);
            QVERIFY2(e.text().startsWith("Файл базы данных занят другой программой"), qPrintable(e.text()));
        }
        Clock::set(at(9));
        auto window = std::make_unique<TfrmBackups>();
        window->startAutomaticBackup();
        QTest::qWait(300);
        QVERIFY(window->isBusy());
        QElapsedTimer closing;
        closing.start();
        window.reset();
        QVERIFY2(closing.elapsed() < 5000, "closing waited for the copy");
        db->exec("ROLLBACK");
        QCOMPARE(filesIn(folder()), QStringList());
    }

    void copyThatIsNoCatalogueIsRefusedWithNothingChanged()
    {
        const QString sound = makeAt(at(9));
        QFile garbage(QDir(folder()).filePath("db-2026-12-10_1030.mdb"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, 'z'));
        garbage.close();
        const QString truncated = QDir(folder()).filePath("db-2026-12-11_1030.mdb");
        QVERIFY(QFile::copy(sound, truncated));
        QFile::resize(truncated, QFileInfo(sound).size() / 2);
        const QString otherTables = QDir(folder()).filePath("db-2026-12-12_1030.mdb");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(otherTables);
            QVERIFY(other.open());
            QSqlQuery(other).exec("CREATE TABLE projects (id INTEGER)");
            other.close();
        }
        QSqlDatabase::removeDatabase("other");
        db->exec("DELETE FROM orders");

        for (const QString &bad : {garbage.fileName(), truncated, otherTables}) {
            QVERIFY_THROWS_EXCEPTION(DataError, Backup::restore(db->path(), bad));
            QCOMPARE(db->scalar("SELECT count(*) FROM orders").toInt(), 0);
        }
        QCOMPARE(filesIn(folder()).size(), 4); // no copy of the current data was made

        db->openDm();
        TfrmBackups window;
        window.show();
        window.gridCopies->selectRow(0); // the other tables, the newest
        QVERIFY(!window.copies().first().isUsable());
        window.btnRestore->click();
        QCOMPARE(rec->questions.size(), 0);
        QCOMPARE(rec->notices.size(), 1);
        QVERIFY(rec->notices[0].text.startsWith("Копия не является базой данных программы"));
    }
};

QTEST_MAIN(TestServiceBackups)
#include "test_service_backups.moc"
