// Faults as the user meets them in the windows: a locked file while a sale
// is saved, pasted text in the digits-only boxes and the editors, a quote in
// a repository path, and an HTML export on a full disk or with a failing copy.
#include "app/DBEdit.h"
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "output/CatalogExport.h"
#include "program/WindowSet.h"
#include "project/Unit_editTovars.h"
#include "sales/Unit_orders_edit.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QAction>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

// Runs fn once the next modal window's loop is running.
void whenShown(std::function<void()> fn)
{
    QTimer::singleShot(0, qApp, std::move(fn));
}

// The program's folder with the support files of the export beside it.
bool copySupportFiles(const QString &programFolder)
{
    const QString data = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../resources/Data";
    bool copied = true;
    for (const QString &file : CatalogExport::supportFiles()) {
        QDir().mkpath(QFileInfo(programFolder + "/Data/" + file).absolutePath());
        copied = QFile::copy(data + "/" + file, programFolder + "/Data/" + file) && copied;
    }
    return copied;
}

// The text of the export's failure; empty when it did not fail.
QString failureOf(CatalogExport &job)
{
    try {
        job.run(3);
    } catch (const CatalogWriteError &e) {
        return e.text();
    }
    return {};
}

} // namespace

class TestFaultsWindows : public QObject
{
    Q_OBJECT
    std::unique_ptr<RecordingSeams> seams;
    std::unique_ptr<TestDb> db;

private slots:
    void init()
    {
        Clock::set(QDateTime(QDate(2024, 5, 17), QTime(15, 30)));
        seams = std::make_unique<RecordingSeams>();
        db = std::make_unique<TestDb>();
        db->fillSample();
        createWindowSet(db->path());
        frmMain->show();
    }
    void cleanup()
    {
        destroyWindowSet();
        db.reset();
        seams.reset();
        Clock::reset();
    }

    // Another program writes the file: the sale is refused in Russian, the
    // editor stays open with the typed sum, and saving again succeeds.
    void aLockedSaleStaysInTheEditorUntilSaved()
    {
        QVERIFY(Dm->tblProject->locate("tovName", "Касса"));
        const int before = db->scalar("SELECT count(*) FROM orders").toInt();
        db->exec("BEGIN IMMEDIATE");
        QString shownAfterRefusal;
        bool openAfterRefusal = false;
        whenShown([&] {
            DBEdit *sum = frmOrdersEdit->DBEdit2;
            sum->setText("777");
            emit sum->textEdited(sum->text());
            frmOrdersEdit->BitBtn1->click();
            openAfterRefusal = frmOrdersEdit->isVisible();
            shownAfterRefusal = sum->text();
            db->exec("ROLLBACK");
            frmOrdersEdit->BitBtn1->click();
        });
        frmMain->mnuPayAddClick(frmMain->mnuPayAdd);
        QCOMPARE(seams->errors.size(), 1);
        QVERIFY(seams->errors[0].startsWith("Файл базы данных занят другой программой"));
        QVERIFY(openAfterRefusal);
        QCOMPARE(shownAfterRefusal, QString("777"));
        QVERIFY(!frmOrdersEdit->isVisible());
        QCOMPARE(db->scalar("SELECT count(*) FROM orders").toInt(), before + 1);
        QCOMPARE(db->scalar("SELECT count(*) FROM orders WHERE summ = 7770000").toInt(), 1);
        QCOMPARE(db->scalar("PRAGMA integrity_check").toString(), QString("ok"));
    }

    // The digits-only search boxes refuse pasted and input-method text as
    // they refuse typed letters.
    void digitBoxesRefusePastedText()
    {
        for (QLineEdit *box : {frmMain->EditKodProject, frmMain->editPrice}) {
            box->clear();
            QGuiApplication::clipboard()->setText(QString(12000, '('));
            box->paste();
            QCOMPARE(box->text(), QString());
            QInputMethodEvent composed;
            composed.setCommitString("1x");
            QCoreApplication::sendEvent(box, &composed);
            QCOMPARE(box->text(), QString());
            QGuiApplication::clipboard()->setText("150");
            box->paste();
            QCOMPARE(box->text(), QString("150"));
        }
    }

    // Pasted text that overruns a name's limit keeps whole characters, and a
    // NUL is dropped where the user sees it, not the text after it.
    void pastedTextKeepsWholeCharacters()
    {
        whenShown([] {
            DBEdit *name = frmProjectEdit->findChild<DBEdit *>("editNameTov");
            QVERIFY(name);
            name->clear();
            QGuiApplication::clipboard()->setText(QString(99, QChar(0x0416)) + QString::fromUtf8("😀"));
            name->paste();
            QCOMPARE(name->text(), QString(99, QChar(0x0416)));
            QCOMPARE(Dm->tblProjecttovName->asString(), QString(99, QChar(0x0416)));
            name->clear();
            QGuiApplication::clipboard()->setText(QString("Учёт") + QChar(0) + "склада");
            name->paste();
            QCOMPARE(Dm->tblProjecttovName->asString(), QString("Учётсклада"));
            QCOMPARE(name->text(), QString("Учётсклада"));
            frmProjectEdit->reject();
        });
        frmMain->mnuEditClick(frmMain->mnuEdit);
    }

    // A quote in the path or address could add arguments to the outside
    // program: the launch is refused and names the character.
    void aQuoteInTheRepositoryPathIsRefused()
    {
        db->exec("INSERT INTO configs (repository_ip, path_TortoiseSVN) VALUES ('10.0.0.1', '/usr/bin/svnbrowser')");
        db->exec("UPDATE projects SET path_repository = 'x\" /command:log /path:\"file:///etc' WHERE tovName = 'Касса'");
        Dm->tblConfigs->refresh();
        Dm->tblProject->refresh();
        QVERIFY(Dm->tblProject->locate("tovName", "Касса"));
        frmMain->gridAutoDblClick(nullptr);
        QCOMPARE(seams->programs.size(), 0);
        QCOMPARE(seams->notices.size(), 1);
        QVERIFY(seams->notices[0].text.contains("«\"»"));

        db->exec("UPDATE projects SET path_repository = 'trunk/kassa' WHERE tovName = 'Касса'");
        Dm->tblProject->refresh();
        QVERIFY(Dm->tblProject->locate("tovName", "Касса"));
        frmMain->gridAutoDblClick(nullptr);
        QCOMPARE(seams->programs.size(), 1);
    }

    // A support file that can't be copied fails the export, which says so
    // and leaves no page and no folder behind.
    void aFailingCopyFailsTheExport()
    {
        QTemporaryDir program, out;
        QVERIFY(copySupportFiles(program.path()));
        QFile::remove(program.path() + "/Data/js/jquery-ui.js");
        QDir().mkdir(program.path() + "/Data/js/jquery-ui.js"); // there, but no file to read
        CatalogExport job(frmMain, out.filePath("catalog"), program.path());
        const QString error = failureOf(job);
        QVERIFY2(error.contains("jquery-ui.js"), qPrintable(error));
        QVERIFY(!QFileInfo::exists(job.exportFolder()));
    }

    // A full disk is named as such, and the half export is removed.
    void aFullDiskFailsTheExport()
    {
        QTemporaryDir program, disk;
        QVERIFY(copySupportFiles(program.path()));
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=200k", "tmpfs", disk.path()}) != 0)
            QSKIP("a small file system can't be mounted here (needs root)");
        auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk.path()}); });
        CatalogExport job(frmMain, disk.path() + "/catalog", program.path());
        const QString error = failureOf(job);
        QVERIFY2(error.contains("на диске нет места"), qPrintable(error));
        QVERIFY(!QFileInfo::exists(job.exportFolder()));
        QCOMPARE(QDir(disk.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
};

QTEST_MAIN(TestFaultsWindows)
#include "test_faults_windows.moc"
