// The program started on a legacy Access db.mdb: it asks, converts with its
// progress window, keeps the original and opens the converted catalogue;
// every other way out leaves the folder exactly as it was.

#include "data/module/UnitDM.h"
#include "data/core/Money.h"
#include "import/LegacyRepairsDialog.h"
#include "main/Unit_tr.h"
#include "program/StartOptions.h"
#include "program/WindowSet.h"
#include "reference/Unit_Category.h"
#include "reference/Unit_ide.h"
#include "reference/Unit_year.h"
#include "sales/Unit_sales_analysis.h"
#include "support/LegacyFixtures.h"
#include "support/RecordingSeams.h"

#include "app/DBGrid.h"

#include <QCryptographicHash>
#include <QDateEdit>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <csignal>

namespace {

// A folder holding a legacy file as db.mdb, the working directory meanwhile.
struct LegacyFolder {
    QTemporaryDir dir;
    QString old = QDir::currentPath();
    explicit LegacyFolder(const QByteArray &bytes)
    {
        QFile f(dir.filePath("db.mdb"));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        f.close();
        QDir::setCurrent(dir.path());
    }
    ~LegacyFolder() { QDir::setCurrent(old); }
    QString path(const QString &name = "db.mdb") const { return dir.filePath(name); }
};

} // namespace

class TestLegacyStart : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { destroyWindowSet(); }

    void asksConvertsKeepsTheOriginalAndEveryWindowWorks()
    {
        const QByteArray original = bytesOf(jetFixture("legacy.mdb"));
        LegacyFolder f(original);
        RecordingSeams seams;
        int projects = -1, categories = -1, years = -1, ides = -1;
        SalesTotal total;
        QTimer::singleShot(0, [&] {
            projects = Dm->tblProject->recordCount();
            frmCategory->show();
            categories = frmCategory->DBGridArb->model()->rowCount();
            frmCategory->close();
            frmYear->show();
            years = Dm->tblYear->recordCount();
            frmYear->close();
            frmIde->show();
            ides = Dm->tblIde->recordCount();
            frmIde->close();
            frmSalesAnalysis->show();
            // Its default months hold the minimum sale after a refund: a
            // total past 64 bits, refused as such.
            seams.errors.clear();
            frmSalesAnalysis->dtFrom->setDate(QDate(1899, 12, 1));
            frmSalesAnalysis->dtTo->setDate(QDate(2006, 12, 31));
            frmSalesAnalysis->btnShow->click();
            total = frmSalesAnalysis->report().total;
            frmSalesAnalysis->close();
            frmMain->close();
        });
        QCOMPARE(runProgram({}), 0);

        QCOMPARE(seams.questions.size(), 1);
        QCOMPARE(seams.questions[0].caption, QString("Перенос старой базы"));
        QVERIFY2(seams.questions[0].text.contains("«db.mdb.access»"), qPrintable(seams.questions[0].text));
        QVERIFY(seams.progressSteps > 0);
        QVERIFY2(seams.errors.isEmpty(), qPrintable(seams.errors.join('\n')));
        QCOMPARE(bytesOf(f.path("db.mdb.access")), original);
        QVERIFY(bytesOf(f.path()).startsWith("SQLite format 3"));
        QCOMPARE(seams.notices.size(), 1);
        QVERIFY2(seams.notices[0].text.startsWith("Каталог перенесён"), qPrintable(seams.notices[0].text));
        QCOMPARE(projects, 1); // the first category's
        QCOMPARE(categories, 3);
        QCOMPARE(years, 3);
        QCOMPARE(ides, 2);
        // Every sale, the one of 1899-12-29 and the Currency extremes among them.
        QCOMPARE(total.count, 4);
        QCOMPARE(total.sum, Money::fromUnits(123456789 - 1 + 15005000 + std::numeric_limits<qint64>::min()));
    }

    void refusedRowsStopOrConvertWithTheirRepairs()
    {
        const QByteArray original = bytesOf(jetFixture("legacy-edge.mdb"));
        LegacyFolder f(original);
        const auto before = folderState(f.dir.path());
        RecordingSeams seams;
        QStringList repairs;
        seams.onDialog = [&](QDialog *d) {
            auto *grid = static_cast<LegacyRepairsDialog *>(d)->gridProblems;
            for (int r = 0; r < grid->rowCount(); ++r)
                repairs << grid->item(r, 0)->text() + " " + grid->item(r, 1)->text() + ": " + grid->item(r, 5)->text();
        };
        QCOMPARE(runProgram({}), 0); // stop: the dialog's Rejected
        QCOMPARE(seams.dialogs, QStringList{"dlgLegacyRepairs"});
        QCOMPARE(repairs.size(), 5);
        QCOMPARE(repairs.first(), QString("Категории 1: названо «Без названия 1»"));
        QVERIFY(!frmMain);
        QCOMPARE(folderState(f.dir.path()), before);

        seams.dialogAnswers.enqueue(QDialog::Accepted);
        QTimer::singleShot(0, [] { frmMain->close(); });
        QCOMPARE(runProgram({}), 0);
        QCOMPARE(bytesOf(f.path("db.mdb.access")), original);
        QVERIFY(bytesOf(f.path("db.mdb.repairs.txt")).contains("«(нет) проект 42»"));
        QVERIFY2(seams.notices.last().text.contains("db.mdb.repairs.txt"), qPrintable(seams.notices.last().text));
    }

    void noCancelAndAnotherAccessFileLeaveTheFolderAsItWas()
    {
        LegacyFolder f(bytesOf(jetFixture("legacy.mdb")));
        const auto before = folderState(f.dir.path());
        RecordingSeams seams;
        seams.answers.enqueue(false);
        QCOMPARE(runProgram({}), 0);
        QCOMPARE(folderState(f.dir.path()), before);

        seams.cancelAtStep = 5; // "Отмена" while the rows are checked and written
        QCOMPARE(runProgram({}), 0);
        QCOMPARE(folderState(f.dir.path()), before);
        QVERIFY(!frmMain);

        // The same through --database, for a file that is an Access 97 one.
        QByteArray jet3 = bytesOf(jetFixture("legacy.mdb"));
        jet3[0x14] = 0;
        QFile other(f.path("old97.mdb"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(jet3);
        other.close();
        const auto withOld = folderState(f.dir.path());
        StartOptions options;
        options.database = f.path("old97.mdb");
        QCOMPARE(runProgram(options), 1);
        QCOMPARE(seams.errors.size(), 1);
        QVERIFY2(seams.errors[0].contains("Access 97"), qPrintable(seams.errors[0]));
        QCOMPARE(folderState(f.dir.path()), withOld);
    }

#ifdef Q_OS_UNIX
    // Killed at any moment of the conversion, the program leaves the folder as
    // it was. It runs in slices of a fifth of a millisecond: once whole, to
    // count the slices its conversion takes (its temporary folder there),
    // then killed after a quarter, a half or three quarters of them. Each
    // time the folder is as it was; a run that converted sooner than that is
    // let finish, and the folder is converted.
    void aKilledConversionLeavesTheFolderAsItWas()
    {
        const QByteArray original = bytesOf(jetFixture("legacy.mdb"));
        int slices = runConversionFor(original, std::numeric_limits<int>::max());
        QVERIFY2(slices > 4, qPrintable(QString("the conversion took %1 slices").arg(slices)));
        int killedConverting = 0;
        for (int attempt = 0; attempt < 12 && killedConverting < 3; ++attempt) {
            const int took = runConversionFor(original, slices * (1 + attempt % 3) / 4);
            if (took < 0)
                ++killedConverting;
            else // it ran faster this time
                slices = qMax(4, took);
        }
        QVERIFY2(killedConverting > 0, "no run was killed while converting");
    }
#endif

private:
#ifdef Q_OS_UNIX
    // Runs the program on a copy of original until it has converted for
    // slices slices, then kills it and checks the folder: -1 when it was
    // killed converting, else (it finished) the slices the conversion took.
    int runConversionFor(const QByteArray &original, int slices)
    {
        LegacyFolder f(original);
        const auto before = folderState(f.dir.path());
        QTemporaryDir temp;
        const auto converting = [&] {
            return !QDir(temp.path()).entryList({"projectsales-conversion-*"}, QDir::Dirs).isEmpty();
        };
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", temp.path());
        env.insert("XDG_RUNTIME_DIR", temp.path());
        env.insert("XDG_CONFIG_HOME", temp.path()); // the window's place it remembers is not the user's
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(f.dir.path());
        program.start(QStringLiteral(PROGRAM_PATH), {"--smoke-test"});
        if (!program.waitForStarted())
            return 0;
        const pid_t pid = pid_t(program.processId());
        int seen = 0;
        bool now = false;
        for (int slice = 0; slice < 100000 && seen < slices && (now || seen == 0); ++slice) {
            ::kill(pid, SIGCONT);
            QThread::usleep(200);
            ::kill(pid, SIGSTOP);
            now = converting();
            seen += now ? 1 : 0;
        }
        if (now)
            ::kill(pid, SIGKILL);
        ::kill(pid, SIGCONT);
        program.waitForFinished();
        if (now) {
            if (folderState(f.dir.path()) != before)
                QTest::qFail("killed converting, the folder changed", __FILE__, __LINE__);
            return -1;
        }
        if (bytesOf(f.path("db.mdb.access")) != original || !bytesOf(f.path()).startsWith("SQLite format 3"))
            QTest::qFail("converted, the folder is not", __FILE__, __LINE__);
        return seen;
    }
#endif
};

QTEST_MAIN(TestLegacyStart)
#include "test_legacy_start.moc"
