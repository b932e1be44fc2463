// Faults of the data layer against a real file: another connection holding
// its locks, failed commits, a full file, totals past 64 bits, hostile
// filters and text. After each failure the file must be sound, hold exactly
// what was reported saved, and the same action must succeed on a retry.
#include "data/core/Clock.h"
#include "data/engine/Database.h"
#include "data/module/UnitDM.h"
#include "support/TestDb.h"

#include <QFile>
#include <QSqlQuery>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Runs fn, which must throw a DataError, and returns it.
template <typename Fn> DataError refusal(Fn fn)
{
    try {
        fn();
    } catch (const DataError &e) {
        return e;
    }
    QTest::qFail("no DataError was thrown", __FILE__, __LINE__);
    return DataError(QString());
}

} // namespace

class TestDataFaults : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    TDm *dm = nullptr;

    int count(const QString &sql) const { return db->scalar(sql).toInt(); }
    void verifyIntact() const
    {
        QCOMPARE(db->scalar("PRAGMA integrity_check").toString(), QString("ok"));
    }
    void selectProject(const QString &name)
    {
        QVERIFY(dm->tblProject->locate("tovName", name));
    }

private slots:
    void init()
    {
        Clock::set(QDateTime(QDate(2026, 12, 9), QTime(14, 30)));
        db = std::make_unique<TestDb>();
        db->fillSample();
        dm = db->openDm();
        dm->tblProject->setSort("tovName");
    }
    void cleanup()
    {
        db.reset();
        Clock::reset();
    }

    // Another program reads the file while a project and its sales are deleted:
    // the commit is refused, rolled back, and the list shows the project again.
    void aRefusedCommitRollsBackAndRestoresTheList()
    {
        selectProject("Касса");
        const int recNo = dm->tblProject->recNo();
        db->exec("BEGIN");
        db->exec("SELECT count(*) FROM projects"); // the reader's lock lasts until its transaction ends

        const DataError e = refusal([&] { dm->deleteProjectWithOrders(); });
        QCOMPARE(e.kind(), DataError::Kind::Locked);
        QVERIFY(e.text().startsWith("Файл базы данных занят другой программой"));
        QVERIFY(e.text().contains("\ndatabase is locked"));
        QCOMPARE(dm->tblProject->recordCount(), 4);
        QCOMPARE(dm->tblProject->recNo(), recNo);
        QCOMPARE(dm->tblProjecttovName->asString(), QString("Касса"));
        QCOMPARE(dm->tblOrders->recordCount(), 2);
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 4);
        QCOMPARE(dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 15005000LL + 14000000 + 999900);
        db->exec("ROLLBACK");

        // No transaction was left open: a sale added now is in the file for everyone.
        dm->tblOrders->append();
        dm->tblOrderssumm->setAsString("5");
        dm->tblOrders->post();
        QCOMPARE(count("SELECT count(*) FROM orders WHERE summ = 50000"), 1);

        dm->deleteProjectWithOrders(); // the retry succeeds
        QCOMPARE(count("SELECT count(*) FROM projects WHERE tovName = 'Касса'"), 0);
        QCOMPARE(count("SELECT count(*) FROM orders WHERE project_id = 1"), 0);
        QCOMPARE(dm->tblProject->recordCount(), 3);
        verifyIntact();
    }

    // Another program holds the file exclusively: the delete is refused, and
    // the lists keep showing what the file holds instead of going blank (the
    // rows can't be read again meanwhile). What could not be read (the sales
    // of the project clicked next) is read at the next look once the file is
    // free, though that program stored nothing.
    void aDeleteRefusedUnderAnExclusiveLockKeepsTheListsAlive()
    {
        selectProject("Касса");
        db->exec("BEGIN EXCLUSIVE");
        const DataError e = refusal([&] { dm->deleteProjectWithOrders(); });
        QCOMPARE(e.kind(), DataError::Kind::Locked);
        QVERIFY(dm->tblProject->canModify());
        QCOMPARE(dm->tblProject->recordCount(), 4);
        QCOMPARE(dm->tblProjecttovName->asString(), QString("Касса"));
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 4);
        QVERIFY(dm->sqlStateOrders->isActive());
        refusal([&] { dm->tblProject->locate("tovName", QString("Тетрис")); });
        db->exec("ROLLBACK");

        QVERIFY(dm->checkForChanges());
        QCOMPARE(dm->tblOrders->recordCount(), 1);
        QCOMPARE(dm->tblOrderscomments->asString(), QString("Игра продана"));
        dm->deleteProjectWithOrders();
        QCOMPARE(dm->tblProject->recordCount(), 3);
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 3);
    }

    // An earlier version's file gets the list's index on its first open for
    // writing.
    void anOlderFileGetsTheListIndex()
    {
        db->closeDm();
        db->exec("DROP INDEX projects_list");
        dm = db->openDm();
        QCOMPARE(count("SELECT count(*) FROM sqlite_master WHERE name = 'projects_list'"), 1);
        QCOMPARE(dm->tblProject->recordCount(), 4);
    }

    // The statements kept prepared for the next move (a project's sales, its
    // picture) give their locks back once read: another program can then
    // take the file for itself.
    void keptStatementsHoldNoLockOnceRead()
    {
        db->exec("UPDATE projects SET screenshots = x'0102' WHERE tovName = 'Касса'");
        QVERIFY(dm->checkForChanges());
        for (int pass = 0; pass < 2; ++pass) {
            selectProject("Тетрис");
            selectProject("Касса");
            QCOMPARE(dm->tblProjectscreenshots->asBytes(), QByteArray("\x01\x02"));
            QVERIFY(dm->tblOrders->isActive());
        }
        db->exec("BEGIN EXCLUSIVE");
        db->exec("ROLLBACK");
    }

    // A post refused by a lock keeps the pending row with the user's values;
    // the same post succeeds once the lock is gone.
    void aLockedPostKeepsThePendingRow_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::newRow("reader") << "BEGIN; SELECT count(*) FROM projects";
        QTest::newRow("writer") << "BEGIN IMMEDIATE";
    }
    void aLockedPostKeepsThePendingRow()
    {
        QFETCH(QString, lock);
        for (const QString &statement : lock.split("; "))
            db->exec(statement);
        dm->tblProject->append();
        dm->tblProjecttovName->setAsString("Склад");
        dm->tblProjectprice->setAsString("12,5");
        const DataError e = refusal([&] { dm->tblProject->post(); });
        QCOMPARE(e.kind(), DataError::Kind::Locked);
        QCOMPARE(dm->tblProject->state(), Dataset::State::Insert);
        QCOMPARE(dm->tblProjecttovName->asString(), QString("Склад"));
        QCOMPARE(dm->tblProjectprice->asMoney().units(), 125000LL);
        db->exec("ROLLBACK");

        dm->tblProject->post();
        QCOMPARE(count("SELECT count(*) FROM projects WHERE tovName = 'Склад' AND price = 125000"), 1);
        QCOMPARE(count("SELECT count(*) FROM projects"), 5);
        verifyIntact();
    }

    // A file that can't grow (a full disk) fails the post in words that say so.
    void aFullFileFailsThePostAndKeepsTheRow()
    {
        Database *conn = dm->ADOConnection;
        QSqlQuery q = conn->exec("PRAGMA page_count");
        QVERIFY(q.next());
        conn->exec(QString("PRAGMA max_page_count = %1").arg(q.value(0).toInt()));
        dm->tblProject->append();
        dm->tblProjecttovName->setAsString("Большой");
        dm->tblProjectdescription->setAsString(QString(200000, QLatin1Char('x')));
        const DataError e = refusal([&] { dm->tblProject->post(); });
        QCOMPARE(e.kind(), DataError::Kind::DiskFull);
        QVERIFY(e.text().startsWith("Диск заполнен"));
        QCOMPARE(dm->tblProject->state(), Dataset::State::Insert);
        conn->exec("PRAGMA max_page_count = 1073741823");
        dm->tblProject->post();
        QCOMPARE(count("SELECT length(description) FROM projects WHERE tovName = 'Большой'"), 200000);
        verifyIntact();
    }

    // Start-up says what is wrong with the file, a locked one as locked.
    void startUpNamesWhatIsWrongWithTheFile_data()
    {
        QTest::addColumn<QString>("arrange");
        QTest::addColumn<QString>("words");
        QTest::addColumn<int>("kind");
        QTest::newRow("locked") << "lock" << "занят другой программой" << int(DataError::Kind::Locked);
        QTest::newRow("folder") << "folder" << "это папка" << int(DataError::Kind::NotADatabase);
        QTest::newRow("empty") << "empty" << "пуст" << int(DataError::Kind::NotADatabase);
        QTest::newRow("foreign") << "foreign" << "база данных другой программы" << int(DataError::Kind::NotADatabase);
        QTest::newRow("text") << "text" << "не является базой данных программы" << int(DataError::Kind::NotADatabase);
    }
    void startUpNamesWhatIsWrongWithTheFile()
    {
        QFETCH(QString, arrange);
        QFETCH(QString, words);
        QFETCH(int, kind);
        db->closeDm();
        QTemporaryDir dir;
        QString path = db->path();
        if (arrange == "lock") {
            db->exec("BEGIN EXCLUSIVE");
        } else {
            path = dir.filePath("db.mdb");
            if (arrange == "folder") {
                QDir().mkdir(path);
            } else if (arrange == "foreign") {
                QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "foreign");
                other.setDatabaseName(path);
                QVERIFY(other.open());
                QSqlQuery(other).exec("CREATE TABLE notes (id INTEGER, body TEXT)");
                other.close();
                other = QSqlDatabase();
                QSqlDatabase::removeDatabase("foreign");
            } else {
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly));
                if (arrange == "text")
                    f.write(QByteArray("Это не база данных, а письмо.\n").repeated(200));
            }
        }
        const DataError e = refusal([&] { TDm probe(path); });
        QVERIFY2(e.text().contains(words), qPrintable(e.text()));
        QCOMPARE(int(e.kind()), kind);
        if (arrange == "lock") {
            db->exec("ROLLBACK");
            TDm again(path); // the lock gone, the file opens
            QCOMPARE(again.tblProject->recordCount(), 4);
        }
    }

#ifdef Q_OS_UNIX
    // A writable file in a folder that can't be written opens read-only, so
    // nothing is typed in vain. Root writes anywhere: the check runs as nobody.
    void aFileInAReadOnlyFolderOpensReadOnly()
    {
        db->closeDm();
        db->exec("DROP INDEX projects_list"); // an earlier version's file: read as it is
        QTemporaryDir dir;
        const QString path = dir.filePath("db.mdb");
        QVERIFY(QFile::copy(db->path(), path));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther
                                        | QFileDevice::WriteOther | QFileDevice::ReadGroup | QFileDevice::WriteGroup);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                              | QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
        const pid_t child = fork();
        if (child == 0) {
            int code = 3;
            if (geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0)) {
                try {
                    TDm probe(path);
                    code = probe.tblProject->canModify() ? 1 : 0;
                } catch (...) {
                    code = 2;
                }
            }
            _exit(code);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }
#endif

    // Totals past the money type never fail: exact while they fit, an
    // approximate positive amount beyond; garbage in a money column is read sanely.
    void totalsNeverFail()
    {
        db->closeDm();
        db->exec("UPDATE projects SET price = 9223372036854775807 WHERE project_id IN (1, 2)");
        db->exec("UPDATE projects SET price = 1e308 WHERE project_id = 3");
        db->exec("UPDATE projects SET price = 'много' WHERE project_id = 4");
        db->exec("UPDATE orders SET summ = 9223372036854775807 - 1 WHERE order_id = 1");
        db->exec("UPDATE orders SET summ = 1 WHERE order_id = 2");
        db->exec("UPDATE orders SET summ = 0 WHERE order_id = 3");
        dm = db->openDm();
        const Field *allPrice = dm->sqlStatistic->fieldByName("allPriceProject");
        QVERIFY2(allPrice->asString().startsWith("≈ "), qPrintable(allPrice->asString()));
        const double shown = QLocale().toDouble(allPrice->asString().mid(2));
        QVERIFY(qAbs(shown / (3 * 922337203685477.5807) - 1) < 1e-9); // the 1e308 reads as the type's limit
        QCOMPARE(dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(),
                 std::numeric_limits<qint64>::max()); // exact at the very limit

        QVERIFY(dm->tblProject->locate("project_id", 4));
        QVERIFY(dm->tblProjectprice->isNull()); // text in a money column reads as no price
        QVERIFY(dm->tblProject->locate("project_id", 3));
        QVERIFY(dm->tblProjectprice->asString().startsWith("≈ "));

        // Saving goes on, and so does the next start.
        dm->tblProject->append();
        dm->tblProjecttovName->setAsString("Ещё один");
        dm->tblProject->post();
        db->closeDm();
        dm = db->openDm();
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 5);
    }

    // An editor refuses an amount beyond the documented bound, naming the field.
    void amountsBeyondTheBoundAreRefusedAtInput()
    {
        dm->tblProject->edit();
        dm->tblProjectprice->setAsString("9999999999,9999");
        QCOMPARE(dm->tblProjectprice->asMoney().units(), Money::MaxInputUnits);
        const DataError e = refusal([&] { dm->tblProjectprice->setAsString("922337203000000"); });
        QCOMPARE(e.kind(), DataError::Kind::Conversion);
        QVERIFY(e.text().startsWith("Стоимость:"));
        QCOMPARE(dm->tblProjectprice->asMoney().units(), Money::MaxInputUnits);
        dm->tblProject->cancel();
        dm->tblOrders->append();
        QVERIFY(refusal([&] { dm->tblOrderssumm->setAsString("-10000000000"); }).text().startsWith("Сумма:"));
        dm->tblOrders->cancel();
    }

    // Hostile filters are refused without taking the program down, and the
    // list shows every project as for any bad filter.
    void hostileFiltersAreRefused_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("12000 brackets") << QString(12000, '(') + "tovName = 'a'" + QString(12000, ')');
        QTest::newRow("deep brackets") << QString(3000, '(') + "tovName = 'a'" + QString(3000, ')');
        QTest::newRow("16000 NOT") << QString("NOT ").repeated(16000) + "tovName = 'a'";
        QTest::newRow("deep NOT") << QString("NOT ").repeated(1000) + "tovName = 'a'";
        QTest::newRow("1000000 AND") << QString("tovName = 'a' AND ").repeated(999999) + "tovName = 'a'";
    }
    void hostileFiltersAreRefused()
    {
        QFETCH(QString, filter);
        dm->tblProject->setFilter(filter);
        const DataError e = refusal([&] { dm->tblProject->setFiltered(true); });
        QCOMPARE(e.kind(), DataError::Kind::Filter);
        QVERIFY(e.text().size() < 500);
        QVERIFY(!dm->tblProject->isFiltered());
        QCOMPARE(dm->tblProject->recordCount(), 4);
    }

    // Within the limits, long chains and nesting still filter correctly.
    void longChainsWithinTheLimitsFilter()
    {
        QString either = "(" + QString("tovName = 'нет' OR ").repeated(400) + "tovName = 'Касса')";
        dm->tblProject->setFilter(QString("(").repeated(50) + either + QString(")").repeated(50)
                                  + " AND NOT tovName = 'Тетрис'");
        dm->tblProject->setFiltered(true);
        QCOMPARE(dm->tblProject->recordCount(), 1);
        QCOMPARE(dm->tblProjecttovName->asString(), QString("Касса"));
    }

    // A length limit cuts at whole characters; a NUL is refused, never a silent cut.
    void textIsCutAtWholeCharacters()
    {
        dm->tblProject->append();
        const QString name = QString(99, QChar(0x0416)) + QString::fromUtf8("😀");
        dm->tblProjecttovName->setAsString(name);
        QCOMPARE(dm->tblProjecttovName->asString(), QString(99, QChar(0x0416)));
        const DataError e = refusal([&] { dm->tblProjecttovName->setAsString(QString("ab") + QChar(0) + "cd"); });
        QCOMPARE(e.kind(), DataError::Kind::Conversion);
        dm->tblProject->post();
        QCOMPARE(db->scalar("SELECT tovName FROM projects WHERE tovName LIKE 'Ж%'").toString(),
                 QString(99, QChar(0x0416)));
    }
};

QTEST_GUILESS_MAIN(TestDataFaults)
#include "test_data_faults.moc"
