// The data-bound widgets, the modal editing dialog, the message boxes and the
// application's last-resort error box.
#include "program/Application.h"
#include "app/CachedGroupBox.h"
#include "app/DBControls.h"
#include "app/EditDialog.h"
#include "app/Messages.h"
#include "app/Seams.h"
#include "app/Unit_class.h"
#include "data/module/UnitDM.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QBuffer>
#include <QDialog>
#include <QMainWindow>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QByteArray bmpBytes(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// Key presses carrying any text (QTest::keyClicks takes ASCII only).
void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void typeInto(QLineEdit &edit, const QString &text)
{
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    edit.home(false);
    typeKeys(&edit, text);
}

} // namespace

class TestAppWidgets : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    TDm *dm = nullptr;
    std::unique_ptr<RecordingSeams> rec;

    void goToProject(const QString &name) { QVERIFY(dm->tblProject->locate("tovName", name)); }

private slots:
    void init()
    {
        rec = std::make_unique<RecordingSeams>();
        db = std::make_unique<TestDb>();
        db->fillSample();
        dm = db->openDm();
    }
    void cleanup()
    {
        db.reset();
        rec.reset();
    }

    // --- DBEdit ---------------------------------------------------------------

    // A frame painted from its picture looks as the style draws it, and a new
    // title or size is drawn anew, not taken from the old picture.
    void aCachedFrameLooksAsTheStyleDrawsIt()
    {
        QWidget window;
        window.resize(400, 300);
        auto *cached = new CachedGroupBox(QStringLiteral("Текущий проект"), &window);
        auto *plain = new QGroupBox(QStringLiteral("Текущий проект"), &window);
        cached->setGeometry(0, 0, 200, 120);
        plain->setGeometry(200, 0, 200, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto alike = [&] {
            const QImage a = cached->grab().toImage(), b = plain->grab().toImage();
            if (a.size() != b.size())
                return false;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x)
                    if (qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 2) // rounding of the blend
                        return false;
            return true;
        };
        QVERIFY(alike());
        for (QGroupBox *box : {(QGroupBox *)cached, plain})
            box->setTitle(QStringLiteral("Продажи"));
        QVERIFY(alike());
        for (QGroupBox *box : {(QGroupBox *)cached, plain})
            box->resize(150, 200);
        QVERIFY(alike());
    }

    void editTakesMaskAndLengthFromTheField()
    {
        DBEdit name, begin;
        name.setDataField("tovName"); // the field name may come first
        name.setDataSource(dm->DsTovar);
        begin.setDataSource(dm->DsTovar);
        begin.setDataField("project_begin");
        QCOMPARE(name.maxLength(), 100);
        QVERIFY(name.inputMask().isEmpty());
        QCOMPARE(begin.inputMask(), QString("99.99.0000;_"));
        goToProject("Касса");
        QCOMPARE(name.text(), QString("Касса"));
        QCOMPARE(begin.text(), QString("01.03.2010"));
        QVERIFY(name.isReadOnly()); // browsing: nothing can be typed into the row
        dm->tblProject->next();
        QCOMPARE(name.text(), dm->tblProjecttovName->asString());
    }

    void typedTextGoesIntoThePendingRowAtOnce()
    {
        DBEdit name;
        name.setDataSource(dm->DsTovar);
        name.setDataField("tovName");
        goToProject("Касса");
        dm->tblProject->edit();
        QVERIFY(!name.isReadOnly());
        name.setCursorPosition(2);
        typeKeys(&name, "ХХ");
        QCOMPARE(name.text(), QString("КаХХсса")); // the cursor stays where the user types
        QCOMPARE(dm->tblProjecttovName->asString(), QString("КаХХсса"));
        dm->tblProject->cancel();
        QCOMPARE(name.text(), QString("Касса"));
    }

    void aDateThatIsNoDateFailsThePostAndKeepsTheRow()
    {
        DBEdit name, begin;
        name.setDataSource(dm->DsTovar);
        name.setDataField("tovName");
        begin.setDataSource(dm->DsTovar);
        begin.setDataField("project_begin");
        goToProject("Касса");
        dm->tblProject->edit();
        typeInto(begin, "31022011");
        QCOMPARE(begin.displayText(), QString("31.02.2011"));
        // Typing another field keeps the date being typed.
        typeKeys(&name, "!");
        QCOMPARE(begin.displayText(), QString("31.02.2011"));
        try {
            dm->tblProject->post();
            QFAIL("a date that is no date was posted");
        } catch (const DataError &e) {
            QCOMPARE(e.kind(), DataError::Kind::Conversion);
        }
        QVERIFY(dm->tblProject->isEditing());
        QCOMPARE(begin.displayText(), QString("31.02.2011"));
        QCOMPARE(name.text(), QString("Касса!"));

        typeInto(begin, "28022011");
        dm->tblProject->post();
        QCOMPARE(db->scalar("SELECT project_begin FROM projects WHERE tovName = 'Касса!'").toString(),
                 QString("2011-02-28"));
        QCOMPARE(begin.text(), QString("28.02.2011"));
    }

    void tabDoesNotLeaveADateWithoutItsFourYearDigits()
    {
        QWidget window;
        auto *begin = new DBEdit(&window);
        auto *next = new QLineEdit(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(begin);
        layout->addWidget(next);
        begin->setDataSource(dm->DsTovar);
        begin->setDataField("project_begin");
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        goToProject("Касса");
        dm->tblProject->edit();
        begin->setFocus();

        typeInto(*begin, "0102201");
        QTest::keyClick(begin, Qt::Key_Tab);
        QTRY_COMPARE(rec->errors.size(), 1);
        QVERIFY(rec->errors[0].contains("01.02.201_"));
        QTRY_VERIFY(begin->hasFocus());

        // A blank date and a whole one both let the focus go on.
        for (const QString typed : {"", "01022011"}) {
            typeInto(*begin, typed);
            QTest::keyClick(begin, Qt::Key_Tab);
            QTRY_VERIFY(next->hasFocus());
            QTest::qWait(10);
            QCOMPARE(rec->errors.size(), 1);
            begin->setFocus();
        }
    }

    void aBlankDateIsAnEmptyValue()
    {
        DBEdit end, price;
        end.setDataSource(dm->DsTovar);
        end.setDataField("project_end");
        price.setDataSource(dm->DsTovar);
        price.setDataField("price");
        goToProject("Касса");
        dm->tblProject->edit();
        typeInto(end, "");
        typeInto(price, "12,5");
        dm->tblProject->post();
        QVERIFY(db->scalar("SELECT project_end FROM projects WHERE tovName = 'Касса'").isNull());
        QCOMPARE(db->scalar("SELECT price FROM projects WHERE tovName = 'Касса'").toLongLong(), 125000LL);

        dm->tblProject->edit();
        typeInto(price, "12.5.1");
        QVERIFY_THROWS_EXCEPTION(DataError, dm->tblProject->post());
        QVERIFY(dm->tblProject->isEditing());
    }

    void anUntouchedEditorWritesNothing()
    {
        DBEdit begin;
        begin.setDataSource(dm->DsTovar);
        begin.setDataField("project_begin");
        goToProject("Касса");
        dm->tblProject->edit();
        dm->tblProjectproject_begin->setAsString("05.05.2012"); // set by the program, not typed
        QCOMPARE(begin.text(), QString("05.05.2012"));
        dm->tblProject->post();
        QCOMPARE(db->scalar("SELECT project_begin FROM projects WHERE tovName = 'Касса'").toString(),
                 QString("2012-05-05"));
    }

    void editorsAreSafeWithoutRows()
    {
        DBEdit name;
        DBText text;
        DBCheckBox box;
        name.setDataSource(dm->DsTovar);
        name.setDataField("tovName");
        text.setDataSource(dm->DsTovar);
        text.setDataField("strCat");
        box.setDataSource(dm->DsTovar);
        box.setDataField("isExports");
        dm->tblProject->setFilter("cat_id = 3");
        dm->tblProject->setFiltered(true);
        QVERIFY(name.text().isEmpty());
        QVERIFY(text.text().isEmpty());
        QVERIFY(!box.isChecked());
        dm->tblProject->close();
        QVERIFY(name.text().isEmpty());
        name.setDataField("noSuchField");
        QVERIFY(name.text().isEmpty());
    }

    // --- the other bound widgets ------------------------------------------------

    void checkBoxWritesOnlyWhileEditingAndNeverWhenReadOnly()
    {
        DBCheckBox box("Экспорт"), fixed;
        box.setDataSource(dm->DsTovar);
        box.setDataField("isExports");
        fixed.setDataSource(dm->DsTovar);
        fixed.setDataField("isExportsDesc");
        fixed.setReadOnlyBox(true);
        goToProject("Касса");
        QVERIFY(box.isChecked());
        QVERIFY(fixed.isChecked());

        box.click(); // browsing
        QVERIFY(box.isChecked());
        dm->tblProject->edit();
        box.click();
        QVERIFY(!box.isChecked());
        QVERIFY(!dm->tblProjectisExports->asBoolean());
        fixed.click();
        QVERIFY(fixed.isChecked());
        QVERIFY(dm->tblProjectisExportsDesc->asBoolean());
        dm->tblProject->post();
        QCOMPARE(db->scalar("SELECT isExports FROM projects WHERE tovName = 'Касса'").toInt(), 0);
        goToProject("Тетрис");
        QVERIFY(!fixed.isChecked());
    }

    void lookupShowsTheKeyedItemAndWritesTheChosenKey()
    {
        DBLookupComboBox cat;
        cat.setDataSource(dm->DsTovar);
        cat.setDataField("cat_id");
        cat.setListSource(dm->DsCategory);
        cat.setKeyField("cat_id");
        cat.setListField("catName");
        QCOMPARE(cat.count(), 3);
        goToProject("Тетрис");
        QCOMPARE(cat.currentText(), QString("Игры"));
        const int categoryRow = dm->tblCategory->recNo();

        dm->tblProject->edit();
        cat.setCurrentIndex(0);
        emit cat.activated(0);
        QCOMPARE(dm->tblProjectcat_id->asInteger(), 1);
        QCOMPARE(dm->tblCategory->recNo(), categoryRow); // the list dataset did not move
        dm->tblProject->post();
        QCOMPARE(db->scalar("SELECT cat_id FROM projects WHERE tovName = 'Тетрис'").toInt(), 1);

        dm->tblCategory->append();
        dm->tblCategorycatName->setAsString("Новая");
        dm->tblCategory->post();
        QCOMPARE(cat.count(), 4);
        QCOMPARE(cat.currentText(), QString("Бухгалтерия"));

        goToProject("Зарплата");
        dm->tblProject->edit();
        dm->tblProjectcat_id->clear();
        QCOMPARE(cat.currentIndex(), -1);
    }

    void imageShowsThePictureAtItsOwnSize()
    {
        db->exec("UPDATE projects SET screenshots = ? WHERE tovName = 'Касса'", {bmpBytes(QSize(40, 30))});
        dm->tblProject->refresh();
        DBImage image;
        image.resize(400, 315);
        image.setDataSource(dm->DsTovar);
        image.setDataField("screenshots");
        goToProject("Касса");
        QVERIFY(image.hasPicture());
        QCOMPARE(image.pixmap().size(), QSize(40, 30));
        QVERIFY(image.alignment() & Qt::AlignHCenter);
        QVERIFY(image.frameShape() != QFrame::NoFrame);
        goToProject("Тетрис");
        QVERIFY(!image.hasPicture());
        // Shown, it reads the picture of a move once control comes back.
        image.show();
        goToProject("Касса");
        QTRY_COMPARE(image.pixmap().size(), QSize(40, 30));
    }

    // A dialog made once and shown now and then (the project editor) reads
    // the row it opens on, not every row passed while it was hidden.
    void aHiddenDialogShowsTheRowItOpensOn()
    {
        QDialog dialog;
        auto *name = new DBEdit(&dialog);
        name->setDataSource(dm->DsTovar);
        name->setDataField("tovName");
        goToProject("Касса");
        dialog.show();
        QCOMPARE(name->text(), QString("Касса"));
        dialog.hide();
        goToProject("Тетрис");
        QCOMPARE(name->text(), QString("Касса"));
        dialog.show();
        QCOMPARE(name->text(), QString("Тетрис"));
    }

    void memoAndTextFollowTheCurrentRow()
    {
        DBMemo memo;
        DBText name;
        memo.setDataSource(dm->DsTovar);
        memo.setDataField("description");
        name.setDataSource(dm->DsTovar);
        name.setDataField("tovName");
        name.setWordWrap(true);
        goToProject("Касса");
        QCOMPARE(memo.toPlainText(), QString("Учёт кассы"));
        QCOMPARE(name.text(), QString("Касса"));
        dm->tblProject->edit();
        memo.moveCursor(QTextCursor::End);
        typeKeys(&memo, " и склада");
        QCOMPARE(dm->tblProjectdescription->asString(), QString("Учёт кассы и склада"));
        dm->tblProjecttovName->setAsString("Касса-2");
        QCOMPARE(name.text(), QString("Касса-2"));
        dm->tblProject->post();
        goToProject("Тетрис");
        QCOMPARE(memo.toPlainText(), QString("Игра"));
    }

    // --- the modal editor ---------------------------------------------------------

    void everyWayOfClosingDiscardsThePendingRow()
    {
        EditDialog dlg("Редактирвоание категории");
        dlg.setEditedDataset(dm->tblCategory);
        auto *name = new DBEdit(&dlg);
        name->setDataSource(dm->DsCategory);
        name->setDataField("catName");
        QPointer<EditDialog> alive(&dlg);

        dm->tblCategory->append();
        dlg.show();
        typeKeys(name, "Новая");
        dlg.close(); // the close box
        QVERIFY(!dm->tblCategory->isEditing());
        QCOMPARE(dm->tblCategory->recordCount(), 3);

        dm->tblCategory->append();
        dlg.show();
        typeKeys(name, "Новая");
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QVERIFY(!dm->tblCategory->isEditing());
        QCOMPARE(db->scalar("SELECT count(*) FROM category").toInt(), 3);

        dm->tblCategory->append();
        dlg.show();
        typeKeys(name, "Новая");
        QVERIFY(dlg.postGuarded(name, "Ошибка записи", "дубль"));
        dlg.accept();
        QCOMPARE(db->scalar("SELECT count(*) FROM category").toInt(), 4);
        QVERIFY(alive); // hidden, never destroyed
    }

    void aDuplicateNameEmptiesAndFocusesTheNameField()
    {
        EditDialog dlg("Редактирвоание категории");
        dlg.setEditedDataset(dm->tblCategory);
        auto *name = new DBEdit(&dlg);
        name->setDataSource(dm->DsCategory);
        name->setDataField("catName");
        auto *other = new QLineEdit(&dlg);
        dm->tblCategory->append();
        dlg.show();
        other->setFocus();
        typeKeys(name, "Игры");

        QVERIFY(!dlg.postGuarded(name, "Ошибка записи", "Такая категория уже существует"));
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].caption, QString("Ошибка записи"));
        QCOMPARE(rec->notices[0].text, QString("Такая категория уже существует"));
        QVERIFY(rec->errors.isEmpty());
        QVERIFY(name->text().isEmpty());
        QVERIFY(dm->tblCategorycatName->isNull());
        QCOMPARE(dlg.focusWidget(), name);
        QVERIFY(dm->tblCategory->isEditing());

        dlg.reject();
        QVERIFY(!dm->tblCategory->isEditing());
        QCOMPARE(db->scalar("SELECT count(*) FROM category").toInt(), 3);
    }

    void anotherRefusalShowsTheErrorAndKeepsTheEntries()
    {
        EditDialog dlg("Редактирование проекта");
        dlg.setEditedDataset(dm->tblProject);
        auto *name = new DBEdit(&dlg);
        name->setDataSource(dm->DsTovar);
        name->setDataField("tovName");
        auto *begin = new DBEdit(&dlg);
        begin->setDataSource(dm->DsTovar);
        begin->setDataField("project_begin");
        goToProject("Касса");
        dm->tblProject->edit();
        dlg.show();
        typeInto(*name, "Касса новая");
        typeInto(*begin, "3102201");

        QVERIFY(!dlg.postGuarded(name, "Ошибка записи", "дубль"));
        QVERIFY(rec->notices.isEmpty());
        QCOMPARE(rec->errors.size(), 1);
        QVERIFY(!rec->errors[0].isEmpty());
        QCOMPARE(name->text(), QString("Касса новая"));
        QCOMPARE(begin->displayText(), QString("31.02.201_"));
        QVERIFY(dm->tblProject->isEditing());
    }

    void firstShowingCentresOnTheMainWindowLaterOnesKeepThePlace()
    {
        QMainWindow main;
        main.setGeometry(100, 100, 800, 600);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        EditDialog dlg("Настройки");
        dlg.resize(200, 100);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY((dlg.frameGeometry().center() - main.frameGeometry().center()).manhattanLength() <= 4);
        dlg.move(10, 20);
        dlg.reject();
        const QPoint left = dlg.pos();
        dlg.show();
        QCOMPARE(dlg.pos(), left);
    }

    // --- messages, mail, the shell, the application object ----------------------

    void messageBoxesGoThroughTheSeams()
    {
        rec->answers.enqueue(false);
        QVERIFY(!askDelete(nullptr, "Вы действительно хотите удалить категорию?"));
        QVERIFY(askDelete(nullptr, "Вы действительно хотите удалить год?"));
        QCOMPARE(rec->questions.size(), 2);
        QCOMPARE(rec->questions[0].caption, QString("Удаление"));
        showNotice(nullptr, "Сообщение", "Готово");
        showStandardError(nullptr, "Сбой");
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->errors, QStringList{"Сбой"});
    }

    // Its caption is the program's, not the binary's name.
    void theRealErrorBoxCarriesTheProgramsCaption()
    {
        QString caption;
        QTimer::singleShot(0, this, [&caption] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            caption = box->windowTitle();
            box->close();
        });
        Seams::real().errorBox(nullptr, "Сбой");
        QCOMPARE(caption, QString("Программа учета продаж программных проектов v1.0"));
    }

    void previewsAreRenderedToPdf()
    {
        seams().preview(nullptr, "Информация по выделенному товару", [](QPrinter *printer) {
            QPainter painter(printer);
            painter.drawText(100, 100, "Касса");
            printer->newPage();
            painter.drawText(100, 100, "Зарплата");
        });
        QCOMPARE(rec->previewTitles, QStringList{"Информация по выделенному товару"});
        QCOMPARE(rec->previewPages, 2);
        QVERIFY(QFileInfo(rec->previewFiles.value(0)).size() > 0);
    }

    void picturesAreRegisteredOnce()
    {
        initResources();
        initResources();
        QVERIFY(QFile::exists(":/icons/app-16.png"));
        QVERIFY(!QImage(":/about.jpg").isNull());
    }

    void mailLinkCarriesTheAddressAndTheSubject()
    {
        mailExec("a&b?c@example.org");
        QCOMPARE(rec->urls.size(), 1);
        const QUrl url = rec->urls[0];
        QCOMPARE(url.scheme(), QString("mailto"));
        QCOMPARE(url.toString(),
                 QString("mailto:a&b?c@example.org?subject=Письмо автору программы учета разработок"));
        QVERIFY(rec->notices.isEmpty());

        rec->openUrlResult = false;
        mailExec("author@example.org");
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].caption, QString("Сообщение"));
        QCOMPARE(rec->notices[0].text, QString("Не могу запустить почтовую программу"));
    }

    // The desktop's opener is the real launcher: one that says it failed (no
    // mail program for the link) is reported like one that is not there.
    void aFailingMailOpenerIsReported()
    {
        seams().openUrl = Seams::real().openUrl;
        const QString bin = rec->tempPath() + "/bin";
        const QString seen = rec->tempPath() + "/seen.txt";
        QVERIFY(QDir().mkpath(bin));
        QFile opener(bin + "/xdg-open");
        const auto openerExits = [&](int code) {
            QVERIFY(opener.open(QIODevice::WriteOnly | QIODevice::Truncate));
            opener.write(QString("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\nexit %2\n").arg(seen).arg(code).toUtf8());
            opener.close();
            opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        const QByteArray path = qgetenv("PATH");
        auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(bin));

        openerExits(0);
        mailExec("author@example.org");
        QTRY_VERIFY(QFileInfo(seen).size() > 0);
        QTest::qWait(200); // its exit is seen
        QVERIFY(rec->notices.isEmpty());
        QFile link(seen);
        QVERIFY(link.open(QIODevice::ReadOnly));
        QVERIFY(link.readAll().startsWith("mailto:author@example.org?subject=%D0%9F"));

        openerExits(4); // xdg-open: no program for the link
        mailExec("author@example.org");
        QTRY_COMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].text, QString("Не могу запустить почтовую программу"));
    }

    void startProgramSplitsTheParametersLikeACommandLine()
    {
        const Seams real = Seams::real();
        const QString script = rec->tempPath() + "/args.sh";
        const QString out = rec->tempPath() + "/args.txt";
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QString("printf '%s|' \"$@\" > '%1'\n").arg(out).toUtf8());
        file.close();
        QVERIFY(real.startProgram("sh", "\"" + script + "\" \"first arg\" second"));
        QTRY_VERIFY(QFileInfo(out).size() > 0);
        QFile result(out);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(result.readAll()), QString("first arg|second|"));
        QVERIFY(!real.startProgram(rec->tempPath() + "/no-such-program", ""));
    }

    void anExceptionFromASlotShowsTheErrorBoxAndTheLoopGoesOn()
    {
        QVERIFY(qobject_cast<TApplication *>(qApp));
        QPushButton button("Пуск");
        int clicks = 0;
        connect(&button, &QPushButton::clicked, this, [&clicks] {
            ++clicks;
            if (clicks == 1)
                throw DataError("Запись не найдена");
            throw std::runtime_error("disk full");
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(rec->errors, QStringList{"Запись не найдена"});
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(rec->errors, QStringList({"Запись не найдена", "disk full"}));

        QTimer::singleShot(0, this, [] { throw DataError("из таймера"); });
        QTRY_COMPARE(rec->errors.size(), 3);
        QCOMPARE(rec->errors.last(), QString("из таймера"));
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestAppWidgets test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app_widgets.moc"
