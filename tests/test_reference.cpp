#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include "app/DBEdit.h"
#include "app/DBGrid.h"
#include "program/WindowSet.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "reference/Unit_Category.h"
#include "reference/Unit_category_edit.h"
#include "reference/Unit_ide.h"
#include "reference/Unit_ide_edit.h"
#include "reference/Unit_year.h"
#include "reference/Unit_year_edit.h"

#include <QAction>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// One reference book as the tests drive it: its window's commands, its editor
// and the texts it must say.
struct Book
{
    ReferenceBookWindow *window;
    ReferenceEditDialog *editor;
    std::function<void()> add, edit, remove;
    Dataset *dataset;
    Field *name;
    QString table, column;
    QString used, unused, fresh; // entry names: used by a project, by none, not in the book
    QString noRowsToEdit, noRowsToDelete;
    QString inUseCaption, inUse;
    QString emptyName, notUnique;
    QString question; // for the entry "unused"
};

Book book(int which)
{
    switch (which) {
    case 0:
        return {frmCategory, frmCatEdit,
                [] { frmCategory->btnAddClick(); }, [] { frmCategory->btnEditClick(); },
                [] { frmCategory->btnDeleteClick(); },
                Dm->tblCategory, Dm->tblCategorycatName, "category", "catName",
                "Игры", "Пустая", "Сеть",
                "Отсутствуют категории для редактирования", "Отсутствуют категории для удаления",
                "Удаление группы", "Нельзя удалить категорию с проектами",
                "Необходимо ввести название категории", "Названия категорий должны быть уникальными!",
                "Вы действительно хотите удалить пустую категорию: Пустая?"};
    case 1:
        return {frmYear, frmYearEdit,
                [] { frmYear->BitBtn1Click(); }, [] { frmYear->BitBtn2Click(); },
                [] { frmYear->BitBtn3Click(); },
                Dm->tblYear, Dm->tblYearname, "years", "name",
                "2011", "2012", "2015",
                "Отсутствуют данные для модификации", "Отсутствуют данные для удаления",
                "Удаление группы", "Нельзя удалить год, так как он используется в проектах",
                "Необходимо ввести год разработки", "Годы разработки должны быть уникальными!",
                "Вы действительно хотите удалить неиспользуемый год разработки \"2012\"?"};
    default:
        return {frmIde, frmIdeEdit,
                [] { frmIde->BitBtn1Click(); }, [] { frmIde->BitBtn2Click(); },
                [] { frmIde->BitBtn3Click(); },
                Dm->tblIde, Dm->tblIdeide, "ide", "ide",
                "Редактор", "Блокнот", "Среда",
                "Отсутствуют данные для модификации", "Отсутствуют данные для удаления",
                "Удаление IDE", "Нельзя удалить IDE, так как он используется в проектах",
                "Необходимо ввести версию IDE", "Версии IDE должны быть уникальными!",
                "Вы действительно хотите удалить неиспользуемую версию разработки \"Блокнот\"?"};
    }
}

// Runs command; once dialog is open, runs inside. A dialog still open after
// inside is closed by its close box. True when the dialog opened.
bool whileOpen(QDialog *dialog, const std::function<void()> &command,
               const std::function<void()> &inside = {})
{
    bool opened = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        opened = dialog->isVisible();
        if (!opened)
            return;
        if (inside)
            inside();
        if (dialog->isVisible())
            dialog->close();
    });
    timer.start(0);
    command();
    timer.stop();
    return opened;
}

// Types text key by key (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

void typeName(ReferenceEditDialog *editor, const QString &text)
{
    editor->nameEdit->selectAll();
    QTest::keyClick(editor->nameEdit, Qt::Key_Backspace);
    typeText(editor->nameEdit, text);
}

// Clicks the first cell of a grid's row, as the user does.
void clickRow(DBGrid *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

} // namespace

class TestReference : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> recorded;

    int storedCount(const Book &b, const QString &name) const
    {
        return db->scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(b.table, b.column),
                          {name}).toInt();
    }
    int rowCount(const Book &b) const
    {
        return db->scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(b.table)).toInt();
    }
    // The main window lists a category no project belongs to.
    void showEmptyCategory()
    {
        QVERIFY(Dm->tblCategory->locate("catName", "Пустая"));
        frmMain->filterCategory();
        QCOMPARE(Dm->tblProject->recordCount(), 0);
    }
    void addBookColumn()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("categories") << 0;
        QTest::newRow("years") << 1;
        QTest::newRow("ide") << 2;
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDb>();
        db->fillSample();
        db->exec("INSERT INTO years (name) VALUES ('2012')");
        db->exec("INSERT INTO ide (ide) VALUES ('Блокнот')");
        recorded = std::make_unique<RecordingSeams>();
        createWindowSet(db->path());
        frmMain->filterCategory();
    }
    void cleanup()
    {
        destroyWindowSet();
        recorded.reset();
        db.reset();
    }

    void addSavesTheNewEntry_data() { addBookColumn(); }
    void addSavesTheNewEntry()
    {
        QFETCH(int, which);
        const Book b = book(which);
        const bool opened = whileOpen(b.editor, b.add, [&] {
            QCOMPARE(b.dataset->state(), Dataset::State::Insert);
            QCOMPARE(b.editor->nameEdit->text(), QString());
            typeName(b.editor, b.fresh);
            QTest::keyClick(b.editor->nameEdit, Qt::Key_Return); // the save button is the default
            QVERIFY(!b.editor->isVisible());
        });
        QVERIFY(opened);
        QCOMPARE(storedCount(b, b.fresh), 1);
        QCOMPARE(b.dataset->state(), Dataset::State::Browse);
        QCOMPARE(b.name->asString(), b.fresh);
        QVERIFY(recorded->notices.isEmpty());
    }

    void editRenamesTheCurrentEntry_data() { addBookColumn(); }
    void editRenamesTheCurrentEntry()
    {
        QFETCH(int, which);
        const Book b = book(which);
        QVERIFY(b.dataset->locate(b.column, b.used));
        const int rows = rowCount(b);
        QVERIFY(whileOpen(b.editor, b.edit, [&] {
            QCOMPARE(b.dataset->state(), Dataset::State::Edit);
            QCOMPARE(b.editor->nameEdit->text(), b.used);
            typeName(b.editor, b.fresh);
            b.editor->BitBtn1->click();
        }));
        QCOMPARE(storedCount(b, b.fresh), 1);
        QCOMPARE(storedCount(b, b.used), 0);
        QCOMPARE(rowCount(b), rows);
        QCOMPARE(b.dataset->state(), Dataset::State::Browse);
    }

    // An unchanged entry is not written: an update the store refuses shows nothing.
    void saveWithoutChangeWritesNothing_data() { addBookColumn(); }
    void saveWithoutChangeWritesNothing()
    {
        QFETCH(int, which);
        const Book b = book(which);
        db->exec(QStringLiteral("CREATE TRIGGER no_update BEFORE UPDATE ON %1 BEGIN"
                                " SELECT RAISE(ABORT, 'no update'); END").arg(b.table));
        QVERIFY(b.dataset->locate(b.column, b.unused));
        QVERIFY(whileOpen(b.editor, b.edit, [&] {
            b.editor->BitBtn1->click();
            QVERIFY(!b.editor->isVisible());
        }));
        QVERIFY(recorded->errors.isEmpty());
        QVERIFY(recorded->notices.isEmpty());
        QCOMPARE(b.dataset->state(), Dataset::State::Browse);
    }

    void deleteAsksAndRemovesAnUnusedEntry_data() { addBookColumn(); }
    void deleteAsksAndRemovesAnUnusedEntry()
    {
        QFETCH(int, which);
        const Book b = book(which);
        QVERIFY(b.dataset->locate(b.column, b.unused));
        recorded->answers.enqueue(false);
        b.remove();
        QCOMPARE(recorded->questions.size(), 1);
        QCOMPARE(recorded->questions[0].caption, QStringLiteral("Удаление"));
        QCOMPARE(recorded->questions[0].text, b.question);
        QCOMPARE(storedCount(b, b.unused), 1);

        b.remove();
        QCOMPARE(recorded->questions.size(), 2);
        QCOMPARE(storedCount(b, b.unused), 0);
        QVERIFY(b.dataset->locate(b.column, b.used)); // the others stay
        QVERIFY(recorded->notices.isEmpty());
    }

    // The usage query reads every project, not the main window's list.
    void deleteRefusedWhileAProjectUsesTheEntry_data() { addBookColumn(); }
    void deleteRefusedWhileAProjectUsesTheEntry()
    {
        QFETCH(int, which);
        const Book b = book(which);
        showEmptyCategory();
        QVERIFY(b.dataset->locate(b.column, b.used));
        b.remove();
        QVERIFY(recorded->questions.isEmpty());
        QCOMPARE(recorded->notices.size(), 1);
        QCOMPARE(recorded->notices[0].caption, b.inUseCaption);
        QCOMPARE(recorded->notices[0].text, b.inUse);
        QCOMPARE(storedCount(b, b.used), 1);
    }

    void duplicateNameRefusedThenSavedUnderAnother_data() { addBookColumn(); }
    void duplicateNameRefusedThenSavedUnderAnother()
    {
        QFETCH(int, which);
        const Book b = book(which);
        const int rows = rowCount(b);
        QVERIFY(whileOpen(b.editor, b.add, [&] {
            typeName(b.editor, b.used);
            b.editor->BitBtn1->click();
            QVERIFY(b.editor->isVisible());
            QCOMPARE(recorded->notices.size(), 1);
            QCOMPARE(recorded->notices[0].caption, QStringLiteral("Ошибка записи"));
            QCOMPARE(recorded->notices[0].text, b.notUnique);
            QCOMPARE(b.editor->nameEdit->text(), QString());
            QCOMPARE(b.editor->focusWidget(), b.editor->nameEdit);
            QCOMPARE(b.dataset->state(), Dataset::State::Insert);

            b.editor->BitBtn1->click(); // the box is still empty
            QCOMPARE(recorded->notices.size(), 2);
            QCOMPARE(recorded->notices[1].caption, QStringLiteral("Сообщение"));
            QCOMPARE(recorded->notices[1].text, b.emptyName);

            typeName(b.editor, b.fresh);
            b.editor->BitBtn1->click();
            QVERIFY(!b.editor->isVisible());
        }));
        QCOMPARE(rowCount(b), rows + 1);
        QCOMPARE(storedCount(b, b.fresh), 1);
        QVERIFY(recorded->errors.isEmpty());
    }

    // A refusal for another reason is no duplicate: its own text, the entry kept.
    void otherRefusalKeepsTheEntry_data() { addBookColumn(); }
    void otherRefusalKeepsTheEntry()
    {
        QFETCH(int, which);
        const Book b = book(which);
        db->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON %1 BEGIN"
                                " SELECT RAISE(ABORT, 'Запись отклонена'); END").arg(b.table));
        const int rows = rowCount(b);
        QVERIFY(whileOpen(b.editor, b.add, [&] {
            typeName(b.editor, b.fresh);
            b.editor->BitBtn1->click();
            QVERIFY(b.editor->isVisible());
            QCOMPARE(recorded->errors.size(), 1);
            QVERIFY(recorded->errors[0].contains(QStringLiteral("Запись отклонена")));
            QVERIFY(recorded->notices.isEmpty());
            QCOMPARE(b.editor->nameEdit->text(), b.fresh);
            QCOMPARE(b.name->asString(), b.fresh);
            QCOMPARE(b.dataset->state(), Dataset::State::Insert);
            b.editor->BitBtn2->click();
        }));
        QCOMPARE(rowCount(b), rows);
        QCOMPARE(b.dataset->state(), Dataset::State::Browse);
    }

    void emptyNameRefusedBlanksAccepted_data() { addBookColumn(); }
    void emptyNameRefusedBlanksAccepted()
    {
        QFETCH(int, which);
        const Book b = book(which);
        QVERIFY(whileOpen(b.editor, b.add, [&] {
            b.editor->BitBtn1->click();
            QVERIFY(b.editor->isVisible());
            QCOMPARE(recorded->notices.size(), 1);
            QCOMPARE(recorded->notices[0].caption, QStringLiteral("Сообщение"));
            QCOMPARE(recorded->notices[0].text, b.emptyName);
            QCOMPARE(b.dataset->state(), Dataset::State::Insert);
            typeName(b.editor, QStringLiteral("  "));
            b.editor->BitBtn1->click();
            QVERIFY(!b.editor->isVisible());
        }));
        QCOMPARE(storedCount(b, QStringLiteral("  ")), 1);
    }

    // Cancel, Esc and the close box all discard the typed name.
    void closingDiscards_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("how");
        for (int which = 0; which < 3; ++which) {
            QTest::addRow("book %d, Отмена", which) << which << 0;
            QTest::addRow("book %d, Esc", which) << which << 1;
            QTest::addRow("book %d, close box", which) << which << 2;
        }
    }
    void closingDiscards()
    {
        QFETCH(int, which);
        QFETCH(int, how);
        const Book b = book(which);
        QVERIFY(b.dataset->locate(b.column, b.unused));
        const auto closeEditor = [&] {
            if (how == 0)
                b.editor->BitBtn2->click();
            else if (how == 1)
                QTest::keyClick(b.editor->nameEdit, Qt::Key_Escape);
            else
                b.editor->close();
            QVERIFY(!b.editor->isVisible());
        };
        const int rows = rowCount(b);
        QVERIFY(whileOpen(b.editor, b.add, [&] {
            typeName(b.editor, b.fresh);
            closeEditor();
        }));
        QVERIFY(whileOpen(b.editor, b.edit, [&] {
            typeName(b.editor, b.fresh);
            closeEditor();
        }));
        QCOMPARE(rowCount(b), rows);
        QCOMPARE(storedCount(b, b.fresh), 0);
        QCOMPARE(b.dataset->state(), Dataset::State::Browse);
        QCOMPARE(b.name->asString(), b.unused); // the row current before
        QVERIFY(recorded->notices.isEmpty());
    }

    void emptyBookEditsAndDeletesNothing_data() { addBookColumn(); }
    void emptyBookEditsAndDeletesNothing()
    {
        QFETCH(int, which);
        destroyWindowSet();
        TestDb empty;
        createWindowSet(empty.path());
        const Book b = book(which);
        QVERIFY(!whileOpen(b.editor, b.edit));
        QVERIFY(!whileOpen(b.editor, b.remove));
        QCOMPARE(recorded->notices.size(), 2);
        QCOMPARE(recorded->notices[0].caption,
                 which == 0 ? QStringLiteral("Ошибка") : QStringLiteral("Сообщение"));
        QCOMPARE(recorded->notices[0].text, b.noRowsToEdit);
        QCOMPARE(recorded->notices[1].caption, QStringLiteral("Сообщение"));
        QCOMPARE(recorded->notices[1].text, b.noRowsToDelete);
        QVERIFY(recorded->questions.isEmpty());

        QVERIFY(whileOpen(b.editor, b.add, [&] {
            typeName(b.editor, b.fresh);
            b.editor->BitBtn1->click();
        }));
        QCOMPARE(b.dataset->recordCount(), 1);
        destroyWindowSet();
    }

    void yearBoxRefusesAFifthCharacter()
    {
        QVERIFY(whileOpen(frmYearEdit, [] { frmYear->BitBtn1Click(); }, [] {
            typeText(frmYearEdit->editYear, QStringLiteral("20155"));
            QCOMPARE(frmYearEdit->editYear->text(), QStringLiteral("2015"));
        }));
    }

    void ideVersionsStaySortedByName()
    {
        QVERIFY(whileOpen(frmIdeEdit, [] { frmIde->BitBtn1Click(); }, [] {
            typeName(frmIdeEdit, QStringLiteral("Аналитик"));
            frmIdeEdit->BitBtn1->click();
        }));
        QStringList names;
        const Dataset *ide = Dm->tblIde;
        for (int row = 0; row < ide->recordCount(); ++row)
            names << ide->displayTextAt(row, Dm->tblIdeide);
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(names, sorted);
        QCOMPARE(names.first(), QStringLiteral("Аналитик"));
    }

    // A new category is shown selected in the main window, with no projects.
    void savedCategoryFiltersTheMainList()
    {
        QVERIFY(Dm->tblProject->recordCount() > 0);
        QVERIFY(whileOpen(frmCatEdit, [] { frmCategory->mnuAddClick(); }, [] {
            typeName(frmCatEdit, QStringLiteral("Сеть"));
            frmCatEdit->BitBtn1->click();
        }));
        const int key = db->scalar("SELECT cat_id FROM category WHERE catName = 'Сеть'").toInt();
        QCOMPARE(Dm->tblProject->filter(), QStringLiteral("cat_id='%1'").arg(key));
        QVERIFY(Dm->tblProject->isFiltered());
        QCOMPARE(Dm->tblProject->recordCount(), 0);
        QCOMPARE(Dm->tblCategorycatName->asString(), QStringLiteral("Сеть"));
    }

    void categoryClickFiltersTheMainList()
    {
        frmCategory->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmCategory));
        QCOMPARE(Dm->tblProject->recordCount(), 3); // "Бухгалтерия"
        clickRow(frmCategory->DBGridArb, 1);
        QCOMPARE(Dm->tblCategorycatName->asString(), QStringLiteral("Игры"));
        QCOMPARE(Dm->tblProject->recordCount(), 1);
        QCOMPARE(Dm->tblProjecttovName->asString(), QStringLiteral("Тетрис"));
        frmCategory->BitBtn1->click();
        QVERIFY(!frmCategory->isVisible());
    }

    // The categories window opened from the project editor: the pending
    // project row is neither posted nor dropped, and the list keeps its filter.
    void pendingProjectSurvivesCategoryClickAndSave()
    {
        Dataset *projects = Dm->tblProject;
        projects->append();
        Dm->tblProjecttovName->setAsString(QStringLiteral("Черновик"));
        const QString filter = projects->filter();
        const int stored = db->scalar("SELECT COUNT(*) FROM projects").toInt();

        frmCategory->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmCategory));
        clickRow(frmCategory->DBGridArb, 1);
        QCOMPARE(Dm->tblCategorycatName->asString(), QStringLiteral("Игры"));

        QVERIFY(whileOpen(frmCatEdit, [] { frmCategory->mnuAddClick(); }, [] {
            typeName(frmCatEdit, QStringLiteral("Сеть"));
            frmCatEdit->BitBtn1->click();
        }));
        QCOMPARE(Dm->tblCategorycatName->asString(), QStringLiteral("Сеть"));
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM category WHERE catName = 'Сеть'").toInt(), 1);

        QCOMPARE(projects->state(), Dataset::State::Insert);
        QCOMPARE(Dm->tblProjecttovName->asString(), QStringLiteral("Черновик"));
        QCOMPARE(projects->filter(), filter);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM projects").toInt(), stored);
        projects->cancel();
        frmCategory->close();
    }

    // An entry only the pending project row refers to is in use too.
    void entryOfThePendingProjectIsNotDeleted()
    {
        QVERIFY(Dm->tblCategory->locate("catName", "Пустая"));
        const int key = Dm->tblCategorycat_id->asInteger();
        Dm->tblProject->append();
        Dm->tblProjectcat_id->setAsInteger(key);
        frmCategory->mnuDeleteClick();
        QVERIFY(recorded->questions.isEmpty());
        QCOMPARE(recorded->notices.size(), 1);
        QCOMPARE(recorded->notices[0].text, QStringLiteral("Нельзя удалить категорию с проектами"));
        Dm->tblProject->cancel();

        frmCategory->mnuDeleteClick();
        QCOMPARE(recorded->questions.size(), 1);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM category WHERE cat_id = ?", {key}).toInt(), 0);
    }

    void categoryMenuAnswersItsShortcuts()
    {
        frmCategory->show();
        frmCategory->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frmCategory));
        QVERIFY(Dm->tblCategory->locate("catName", "Пустая"));
        recorded->answers.enqueue(false);
        QTest::keyClick(frmCategory->DBGridArb, Qt::Key_Delete);
        QCOMPARE(recorded->questions.size(), 1);

        QVERIFY(whileOpen(frmCatEdit, [] { QTest::keyClick(frmCategory->DBGridArb, Qt::Key_E, Qt::ControlModifier); },
                          [] { QCOMPARE(Dm->tblCategory->state(), Dataset::State::Edit); }));
        QApplication::setActiveWindow(frmCategory); // the test platform does not give it back by itself
        QVERIFY(QTest::qWaitForWindowActive(frmCategory));
        QVERIFY(whileOpen(frmCatEdit, [] { QTest::keyClick(frmCategory->DBGridArb, Qt::Key_N, Qt::ControlModifier); },
                          [] { QCOMPARE(Dm->tblCategory->state(), Dataset::State::Insert); }));
        QTest::keyClick(frmCategory->DBGridArb, Qt::Key_Escape);
        QVERIFY(!frmCategory->isVisible());
    }

    void exitButtonsCloseTheirWindows()
    {
        for (ButtonBookWindow *window : {static_cast<ButtonBookWindow *>(frmYear),
                                         static_cast<ButtonBookWindow *>(frmIde)}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            window->BitBtn4->click();
            QVERIFY(!window->isVisible());
        }
    }
};

QTEST_MAIN(TestReference)
#include "test_reference.moc"
