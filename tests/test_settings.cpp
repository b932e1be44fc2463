// The settings dialog, the repository launch and the about window's mail link.
#include "app/DBEdit.h"
#include "app/Unit_class.h"
#include "program/WindowSet.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "settings/Unit_about.h"
#include "settings/Unit_config.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

QString repositoryBrowserParameters(const QString &address, const QString &path);

namespace {

const QString Browser = QStringLiteral("C:\\Program Files\\TortoiseSVN\\bin\\TortoiseProc.exe");

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> seams;

    // Opens the dialog as the menu does and closes it with the given button.
    void openAndClose(QPushButton *button, const std::function<void()> &whileOpen = {})
    {
        QTimer::singleShot(0, [=] {
            if (whileOpen)
                whileOpen();
            button->click();
        });
        frmMain->N11Click(nullptr);
        QVERIFY(!frmOption->isVisible());
    }

    void selectProject(int id) { QVERIFY(Dm->tblProject->locate("project_id", id)); }

    static QWidget *nextTabStop(QWidget *w)
    {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    }

    static void moveMouseOver(QWidget *w)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }

private slots:
    void init()
    {
        TESTDB_REQUIRE_ENGINE();
        seams = std::make_unique<RecordingSeams>();
        db = std::make_unique<TestDb>();
        db->fillSample();
        createWindowSet(db->path());
        Dm->tblProject->setFiltered(false);
    }
    void cleanup()
    {
        destroyWindowSet();
        db.reset();
        seams.reset();
    }

    void firstOpeningStoresTheDefaultsEvenWhenClosed()
    {
        QCOMPARE(Dm->tblConfigs->recordCount(), 0);
        openAndClose(frmOption->BitBtn2);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM configs").toInt(), 1);
        QCOMPARE(db->scalar("SELECT repository_ip FROM configs").toString(), QString("127.0.0.1"));
        QCOMPARE(db->scalar("SELECT path_TortoiseSVN FROM configs").toString(), Browser);
        QCOMPARE(Dm->tblConfigs->state(), Dataset::State::Browse);
        openAndClose(frmOption->BitBtn2, [] { QCOMPARE(frmOption->editIP->text(), QString("127.0.0.1")); });
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM configs").toInt(), 1);
    }

    void anExistingRowIsNeverRefilled()
    {
        db->exec("INSERT INTO configs (repository_ip, path_TortoiseSVN) VALUES (NULL, NULL)");
        Dm->tblConfigs->refresh();
        openAndClose(frmOption->BitBtn2);
        QVERIFY(db->scalar("SELECT repository_ip FROM configs").isNull());
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM configs").toInt(), 1);
    }

    void saveStoresAndCloseDiscards()
    {
        openAndClose(frmOption->BitBtn2);
        openAndClose(frmOption->BitBtn2, [] {
            frmOption->editIP->setText("10.0.0.1");
            emit frmOption->editIP->textEdited("10.0.0.1");
        });
        QCOMPARE(db->scalar("SELECT repository_ip FROM configs").toString(), QString("127.0.0.1"));
        openAndClose(frmOption->BitBtn1, [] {
            frmOption->editIP->setText("10.0.0.1");
            emit frmOption->editIP->textEdited("10.0.0.1");
        });
        QCOMPARE(db->scalar("SELECT repository_ip FROM configs").toString(), QString("10.0.0.1"));
        QCOMPARE(Dm->tblConfigsrepository_ip->asString(), QString("10.0.0.1"));
    }

    void addressTakesFifteenCharacters()
    {
        QCOMPARE(frmOption->editIP->maxLength(), 15);
        QCOMPARE(frmOption->DBEdit1->maxLength(), 255);
    }

    void tabOrderStartsAtTheAddress()
    {
        QCOMPARE(nextTabStop(frmOption->editIP), static_cast<QWidget *>(frmOption->BitBtn1));
        QCOMPARE(nextTabStop(frmOption->BitBtn1), static_cast<QWidget *>(frmOption->BitBtn2));
        QCOMPARE(nextTabStop(frmOption->BitBtn2), static_cast<QWidget *>(frmOption->DBEdit1));
    }

    void launchIsSilentWithoutSettingsOrPath()
    {
        selectProject(1); // has a path
        frmMain->gridAutoDblClick(nullptr);
        QVERIFY(seams->programs.isEmpty());
        QVERIFY(seams->notices.isEmpty());
        openAndClose(frmOption->BitBtn2);
        selectProject(2); // no path
        frmMain->gridAutoDblClick(nullptr);
        QVERIFY(seams->programs.isEmpty());
        QVERIFY(seams->notices.isEmpty());
    }

    void launchStartsTheBrowserWithTheExactParameters()
    {
        openAndClose(frmOption->BitBtn2);
        selectProject(1);
        frmMain->gridAutoDblClick(nullptr);
        QCOMPARE(seams->programs.size(), 1);
        QCOMPARE(seams->programs[0].program, Browser);
        QCOMPARE(seams->programs[0].parameters,
                 QString("/command:repobrowser /path:\"svn://127.0.0.1/trunk/kassa\" >> NUL"));
        QCOMPARE(repositoryBrowserParameters("10.1.1.1", "/root/a b"),
                 QString("/command:repobrowser /path:\"svn://10.1.1.1//root/a b\" >> NUL"));
    }

    void theProgramReceivesTheParametersSplitAsAShellWould()
    {
        const QStringList args = QProcess::splitCommand(
            repositoryBrowserParameters("10.1.1.1", "trunk/my project"));
        QCOMPARE(args, QStringList({"/command:repobrowser", "/path:svn://10.1.1.1/trunk/my project", ">>", "NUL"}));
    }

    void launchTellsWhatIsMissing()
    {
        openAndClose(frmOption->BitBtn2);
        db->exec("UPDATE configs SET repository_ip = NULL");
        Dm->tblConfigs->refresh();
        selectProject(1);
        frmMain->gridAutoDblClick(nullptr);
        QCOMPARE(seams->notices.size(), 1);
        QCOMPARE(seams->notices[0].caption, QString("Запуск репозитория"));
        QCOMPARE(seams->notices[0].text, QString("Не введен IP адрес репозитория"));
        db->exec("UPDATE configs SET repository_ip = '1.2.3.4', path_TortoiseSVN = NULL");
        Dm->tblConfigs->refresh();
        frmMain->gridAutoDblClick(nullptr);
        QCOMPARE(seams->notices.size(), 2);
        QCOMPARE(seams->notices[1].text, QString("Не введен путь к TortoiseSVN"));
        QVERIFY(seams->programs.isEmpty());
    }

    void aFailedStartShowsNothing()
    {
        openAndClose(frmOption->BitBtn2);
        seams->startResult = false;
        selectProject(1);
        frmMain->gridAutoDblClick(nullptr);
        QCOMPARE(seams->programs.size(), 1);
        QVERIFY(seams->notices.isEmpty());
        QVERIFY(seams->errors.isEmpty());
    }

    void mailLinkCarriesTheSubject()
    {
        mailExec("a?b&c@example.org", frmAbout);
        QCOMPARE(seams->urls.size(), 1);
        const QByteArray encoded = seams->urls[0].toEncoded();
        QVERIFY2(encoded.startsWith("mailto:a?b&c@example.org?subject="), encoded.constData());
        QCOMPARE(QUrl::fromPercentEncoding(encoded.mid(encoded.indexOf("subject=") + 8)),
                 QString("Письмо автору программы учета разработок"));
        QVERIFY(seams->notices.isEmpty());
        seams->openUrlResult = false;
        mailExec("x@example.org", frmAbout);
        QCOMPARE(seams->notices.size(), 1);
        QCOMPARE(seams->notices[0].caption, QString("Сообщение"));
        QCOMPARE(seams->notices[0].text, QString("Не могу запустить почтовую программу"));
    }

    void addressGrowsUnderTheMouseAndShrinksOnTheSurface()
    {
        frmAbout->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmAbout));
        QCOMPARE(frmAbout->lblEmail->font().pointSize(), 8);
        moveMouseOver(frmAbout->lblEmail);
        QCOMPARE(frmAbout->lblEmail->font().pointSize(), 10);
        moveMouseOver(frmAbout->btnClose); // another control: stays large
        moveMouseOver(frmAbout->Image1);
        QCOMPARE(frmAbout->lblEmail->font().pointSize(), 10);
        moveMouseOver(frmAbout);
        QCOMPARE(frmAbout->lblEmail->font().pointSize(), 8);
        QTest::mouseClick(frmAbout->lblEmail, Qt::LeftButton);
        QCOMPARE(seams->urls.size(), 1);
        frmAbout->btnClose->click();
        QVERIFY(!frmAbout->isVisible());
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
