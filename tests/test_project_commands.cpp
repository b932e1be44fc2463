// The project commands of the main window: add, add as copy, edit and
// delete, with their messages, the editor they open and what they store.

#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include "app/DBControls.h"
#include "app/Seams.h"
#include "program/WindowSet.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "project/Unit_editTovars.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

class TestProjectCommands : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("fileOnly", "readOnlyFileRefusesAddCopyAndEdit")

private:
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> rec;

    // Runs act inside the next modal dialog, then closes whatever modal
    // dialog is still open; returns the object name of the dialog seen.
    QString inModal(const std::function<void()> &command, const std::function<void()> &act = {})
    {
        QString seen;
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            seen = modal ? modal->objectName() : QStringLiteral("none");
            if (act)
                act();
            while (auto *open = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                open->reject();
        });
        command();
        QCoreApplication::processEvents(); // a command that opened nothing leaves the timer pending
        return seen;
    }
    void showCategory(int catId)
    {
        QVERIFY(Dm->tblCategory->locate(QStringLiteral("cat_id"), catId));
        frmMain->filterCategory();
    }
    int count(const QString &sql) const { return db->scalar(sql).toInt(); }
    // Typed key by key (QTest::keyClicks knows Latin-1 only).
    void type(QLineEdit *edit, const QString &text)
    {
        edit->selectAll();
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(edit, &press);
        }
    }

private slots:
    void init()
    {
        TESTDB_REQUIRE_ENGINE();
        db = std::make_unique<TestDb>();
        db->fillSample();
        rec = std::make_unique<RecordingSeams>();
        createWindowSet(db->path());
    }

    void cleanup()
    {
        destroyWindowSet();
        rec.reset();
        db.reset();
    }

    // The count is that of the filtered list, not of the table.
    void emptyListRefusesEditAndDelete()
    {
        showCategory(3);
        QCOMPARE(Dm->tblProject->recordCount(), 0);
        QCOMPARE(inModal([] { frmMain->mnuEditClick(); }), QStringLiteral("none"));
        QCOMPARE(inModal([] { frmMain->popTovarDeleteClick(); }), QStringLiteral("none"));
        QCOMPARE(rec->notices.size(), 2);
        QCOMPARE(rec->notices[0].caption, QStringLiteral("Сообщение"));
        QCOMPARE(rec->notices[0].text, QStringLiteral("Отсутствуют проекты для редактирования"));
        QCOMPARE(rec->notices[1].caption, QStringLiteral("Удаление проекта"));
        QCOMPARE(rec->notices[1].text, QStringLiteral("Отсутствуют проекты для удаления"));
        QVERIFY(rec->questions.isEmpty());
        QCOMPARE(count("SELECT COUNT(*) FROM projects"), 4);
    }

    void addWorksOnAnEmptyList()
    {
        showCategory(3);
        Dataset::State during = Dataset::State::Inactive;
        const QString seen = inModal([] { frmMain->mnuAdd->trigger(); }, [&] {
            during = Dm->tblProject->state();
            type(frmProjectEdit->editNameTov, QStringLiteral("Новинка"));
            frmProjectEdit->BitBtn1Click();
        });
        QCOMPARE(seen, QStringLiteral("frmProjectEdit"));
        QCOMPARE(during, Dataset::State::Insert);
        QVERIFY(rec->notices.isEmpty());
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Browse);
        QCOMPARE(Dm->tblProject->recordCount(), 1);
        QCOMPARE(Dm->tblProjecttovName->asString(), QStringLiteral("Новинка"));
        QCOMPARE(count("SELECT cat_id FROM projects WHERE tovName = 'Новинка'"), 3);
        QCOMPARE(Dm->sqlStatistic->fieldByName(QStringLiteral("allCountProject"))->asInteger(), 5);

        // A copy asks for no current project either.
        showCategory(3);
        QCOMPARE(inModal([] { frmMain->popProjectCopyClick(); }), QStringLiteral("frmProjectEdit"));
        QVERIFY(!Dm->isCopy);
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Browse);
    }

    void copyTakesTheCurrentProjectsValues()
    {
        showCategory(1);
        QVERIFY(Dm->tblProject->locate(QStringLiteral("tovName"), QStringLiteral("Касса")));
        QString shownName;
        int shownIde = 0;
        inModal([] { frmMain->mnuProjectCopyClick(); }, [&] {
            shownName = frmProjectEdit->editNameTov->text();
            shownIde = frmProjectEdit->DBLookupComboBox3->currentIndex();
            frmProjectEdit->BitBtn1Click(); // saved untouched
        });
        QCOMPARE(shownName, QStringLiteral("Касса (копия)"));
        QCOMPARE(shownIde, -1);
        QVERIFY(!Dm->isCopy);
        QVERIFY(rec->notices.isEmpty());
        const QString row = db->scalar(
            "SELECT cat_id || '|' || year_id || '|' || price || '|' || project_begin || '|' || project_end"
            " || '|' || datetime_update || '|' || description || '|' || path_repository || '|' || isExports"
            " || '|' || isExportsDesc || '|' || CASE WHEN version_id IS NULL THEN 'none' END"
            " || '|' || CASE WHEN screenshots IS NULL THEN 'none' END"
            " FROM projects WHERE tovName = 'Касса (копия)'").toString();
        QCOMPARE(row, QStringLiteral("1|1|15005000|2010-03-01|2010-09-30|2011-01-15|Учёт кассы|trunk/kassa|1|1|none|none"));

        // The next plain add is no copy.
        QString next;
        inModal([] { frmMain->mnuAddClick(); }, [&] { next = frmProjectEdit->editNameTov->text(); });
        QCOMPARE(next, QString());
    }

    void editOpensTheCurrentProjectAndCancelKeepsIt()
    {
        showCategory(2);
        QString shown;
        Dataset::State during = Dataset::State::Inactive;
        const QString seen = inModal([] { frmMain->popTovarEditClick(); }, [&] {
            shown = frmProjectEdit->editNameTov->text();
            during = Dm->tblProject->state();
            type(frmProjectEdit->editNameTov, QStringLiteral("Другое имя"));
            frmProjectEdit->BitBtn2Click();
        });
        QCOMPARE(seen, QStringLiteral("frmProjectEdit"));
        QCOMPARE(shown, QStringLiteral("Тетрис"));
        QCOMPARE(during, Dataset::State::Edit);
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Browse);
        QCOMPARE(Dm->tblProjecttovName->asString(), QStringLiteral("Тетрис"));
        QCOMPARE(count("SELECT COUNT(*) FROM projects WHERE tovName = 'Тетрис'"), 1);
    }

    void readOnlyFileRefusesAddCopyAndEdit()
    {
        RUN_AS_NOBODY_WHEN_ROOT();
        destroyWindowSet();
        QFile::setPermissions(db->path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        if (QFileInfo(db->path()).isWritable())
            QSKIP("the file stays writable for this user");
        createWindowSet(db->path());
        showCategory(1);
        for (auto command : {&TfrmMain::mnuAddClick, &TfrmMain::mnuProjectCopyClick, &TfrmMain::mnuEditClick})
            QCOMPARE(inModal([command] { (frmMain->*command)(nullptr); }), QStringLiteral("none"));
        QCOMPARE(rec->notices.size(), 3);
        for (const auto &notice : std::as_const(rec->notices)) {
            QCOMPARE(notice.caption, QStringLiteral("Ошибка"));
            QCOMPARE(notice.text, QStringLiteral("Нельзя модифицировать данные"));
        }
        QVERIFY(!Dm->isCopy);
    }

    void deleteAsksWithTheNameAsStored()
    {
        db->exec("UPDATE projects SET tovName = 'Игра \"Змейка\"' WHERE tovName = 'Тетрис'");
        Dm->tblProject->refresh();
        showCategory(2);
        rec->answers.enqueue(false);
        frmMain->popTovarDelete->trigger();
        QCOMPARE(rec->questions.size(), 1);
        QCOMPARE(rec->questions[0].caption, QStringLiteral("Удаление"));
        QCOMPARE(rec->questions[0].text,
                 QStringLiteral("Вы действительно хотите удалить проект \"Игра \"Змейка\"\"?"));
        QCOMPARE(count("SELECT COUNT(*) FROM projects"), 4);
        QCOMPARE(count("SELECT COUNT(*) FROM orders WHERE project_id = 3"), 1);
        QCOMPARE(Dm->tblProject->recordCount(), 1);
    }

    void deleteTakesTheSalesAndRefreshesTheStatistics()
    {
        showCategory(1);
        QVERIFY(Dm->tblProject->locate(QStringLiteral("tovName"), QStringLiteral("Касса")));
        const Field *allCount = Dm->sqlStatistic->fieldByName(QStringLiteral("allCountProject"));
        const Field *allPrice = Dm->sqlStatistic->fieldByName(QStringLiteral("allPriceProject"));
        const Field *allSumm = Dm->sqlStateOrders->fieldByName(QStringLiteral("allSumm"));
        QCOMPARE(allSumm->asMoney(), Money::fromUnits(29005000 + 999900));

        frmMain->mnuDelete->trigger();
        QCOMPARE(rec->questions.size(), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM projects WHERE project_id = 1"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM orders WHERE project_id = 1"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM orders"), 1); // the other project's sale stays
        QCOMPARE(allCount->asInteger(), 3);
        QCOMPARE(allPrice->asMoney(), Money::fromUnits(2500000 + 999900 + 12345678));
        QCOMPARE(allSumm->asMoney(), Money::fromUnits(999900));
        QCOMPARE(Dm->tblProject->recordCount(), 2);
        QVERIFY(Dm->tblProject->recNo() >= 1);
        QCOMPARE(Dm->tblOrders->recordCount(),
                 count(QStringLiteral("SELECT COUNT(*) FROM orders WHERE project_id = %1")
                           .arg(Dm->tblProjectproject_id->asInteger())));
    }

    void deletingTheLastOneLeavesNothingToDelete()
    {
        showCategory(2);
        frmMain->mnuDeleteClick();
        QCOMPARE(Dm->tblProject->recordCount(), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM orders WHERE project_id = 3"), 0);
        frmMain->mnuDeleteClick();
        QCOMPARE(rec->questions.size(), 1);
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].text, QStringLiteral("Отсутствуют проекты для удаления"));
    }

    // The list is read again while the question is open (the timer ticks in
    // its event loop): the row another user deleted meanwhile took the
    // asked-about place, and that neighbour must not go instead.
    void aProjectDeletedByAnotherUserDuringTheQuestionTakesNoOtherWithIt()
    {
        showCategory(1);
        QVERIFY(Dm->tblProject->locate(QStringLiteral("tovName"), QStringLiteral("Касса")));
        seams().question = [this](QWidget *, const QString &, const QString &) {
            db->exec("DELETE FROM projects WHERE tovName = 'Касса'");
            Dm->checkForChanges(); // a server tells by its notification instead
            (void)QTest::qWaitFor([] { return Dm->tblProject->recordCount() == 2; });
            return true;
        };
        frmMain->mnuDeleteClick();
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].caption, QStringLiteral("Удаление"));
        QCOMPARE(count("SELECT COUNT(*) FROM projects"), 3);
        QCOMPARE(Dm->tblProject->recordCount(), 2);
    }

    // The sales go first; when the project row is then refused, both stay.
    void failedDeleteKeepsTheProjectAndItsSales()
    {
        db->refuse("projects", "DELETE");
        showCategory(1);
        QVERIFY(Dm->tblProject->locate(QStringLiteral("tovName"), QStringLiteral("Касса")));
        QVERIFY_THROWS_EXCEPTION(DataError, frmMain->mnuDeleteClick());
        QCOMPARE(count("SELECT COUNT(*) FROM projects WHERE project_id = 1"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM orders WHERE project_id = 1"), 2);
        QCOMPARE(Dm->tblProject->recordCount(), 3);
        QCOMPARE(Dm->tblProjecttovName->asString(), QStringLiteral("Касса"));
        QCOMPARE(Dm->tblOrders->recordCount(), 2);
        QCOMPARE(Dm->sqlStatistic->fieldByName(QStringLiteral("allCountProject"))->asInteger(), 4);
    }
};

TESTDB_MAIN(TestProjectCommands)
#include "test_project_commands.moc"
