// Backups of the database file: consistent while another connection writes,
// rotation, the daily copy, cancelling, restore through the window with the
// data reloaded, and copies that are no catalogue refused.
#include "app/DatasetModel.h"
#include "app/DBGrid.h"
#include "data/Backup.h"
#include "data/BackupJob.h"
#include "data/Clock.h"
#include "data/DataError.h"
#include "data/UnitDM.h"
#include "main/Unit_tr.h"
#include "service/Unit_backups.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

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

    QString makeAt(const QDateTime &moment)
    {
        Clock::set(moment);
        return Backup::make(db->path());
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
        job.start([source](const Backup::ProgressFn &p) { return Backup::make(source, p); });
        QTest::qWait(300);
        QVERIFY2(job.isRunning(), "the copy waits for the writer");
        db->exec("ROLLBACK");
        QTRY_VERIFY_WITH_TIMEOUT(!job.isRunning(), 15000);

        QCOMPARE(job.error(), QString());
        QCOMPARE(QFileInfo(job.result()).fileName(), QStringLiteral("db-2026-12-09_1030.mdb"));
        QCOMPARE(checkOf(job.result()), QStringLiteral("4/3"));
        // A second copy in the same minute gets a name of its own.
        db->exec("DELETE FROM orders");
        QCOMPARE(QFileInfo(makeAt(at(9))).fileName(), QStringLiteral("db-2026-12-09_1030-2.mdb"));
        QCOMPARE(Backup::list(db->path()).first().orders, 0);
    }

    void keepsTheNewestFourteenAndTheDailyCopyOnlyWhenDue()
    {
        for (int day = 1; day <= 16; ++day)
            makeAt(at(day));
        const QList<Backup::Copy> copies = Backup::list(db->path());
        QCOMPARE(copies.size(), Backup::Kept);
        QCOMPARE(copies.first().made, at(16));
        QCOMPARE(copies.last().made, at(3));
        QCOMPARE(filesIn(folder()).size(), Backup::Kept);

        Clock::set(at(16, 18));
        QVERIFY2(Backup::makeIfDue(db->path()).isEmpty(), "one a day");
        Clock::set(at(17));
        touch(copies.first().path, QDateTime::currentDateTime().addSecs(3600));
        QVERIFY2(Backup::makeIfDue(db->path()).isEmpty(), "the file did not change since the newest copy");
        touch(copies.first().path, QDateTime::currentDateTime().addSecs(-3600));
        QCOMPARE(QFileInfo(Backup::makeIfDue(db->path())).fileName(), QStringLiteral("db-2026-12-17_1030.mdb"));
    }

    void cancelledCopyLeavesNoPart()
    {
        // Larger than one step of the copy, so the copy is asked whether to go on.
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 1", {QByteArray(3 << 20, 'x')});
        Clock::set(at(9));
        int asked = 0;
        QVERIFY(Backup::make(db->path(), [&](qint64, qint64) { return ++asked < 2; }).isEmpty());
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
        QCOMPARE(filesIn(folder()), QStringList({"db-2026-12-09_1030.mdb"}));
        window.startAutomaticBackup(); // the same day: none
        QTRY_VERIFY(!window.isBusy());
        QCOMPARE(filesIn(folder()).size(), 1);
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
        QCOMPARE(window.gridCopies->item(0, 2)->text(), QStringLiteral("4"));
        window.btnRestore->click();

        QVERIFY2(rec->errors.isEmpty(), qPrintable(rec->errors.join('\n')));
        QCOMPARE(rec->questions.size(), 1);
        QVERIFY2(rec->questions[0].text.contains("09.12.2026 10:30 (проектов: 4, продаж: 3)"),
                 qPrintable(rec->questions[0].text));
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 4);
        QCOMPARE(main.gridAuto->model()->rowCount(), 3);
        QVERIFY(dm->tblProject->locate("project_id", 1));
        QCOMPARE(main.DBGrid1->model()->rowCount(), 2); // its sales are back
        // The data replaced was kept first, and the list shows both copies.
        QCOMPARE(window.gridCopies->rowCount(), 2);
        QCOMPARE(window.copies().first().projects, 3);
        QVERIFY(!rec->progressTexts.isEmpty());
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
