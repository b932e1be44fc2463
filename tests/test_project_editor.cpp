// The project editor: the save checks, refused posts, the picture and the
// ways out of the dialog, driven through its own handlers and widgets.

#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include "app/DBControls.h"
#include "program/WindowSet.h"
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "project/Unit_editTovars.h"
#include "reference/Unit_Category.h"
#include "reference/Unit_year.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace {

const QString EditCaption = QStringLiteral("Ошибка редактирования");
const QString DuplicateText =
    QStringLiteral("Произошли ошибки при сохранении проекта. Недопустимы одинаковые названия проектов!");

// Types as the user does, key by key, the old text selected and replaced.
// (QTest::keyClicks knows Latin-1 only.)
void typeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(edit, &press);
    }
}

QByteArray bitmapOf(const QColor &color, const QSize &size = QSize(40, 30))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

} // namespace

class TestProjectEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> rec;
    TfrmProjectEdit *dlg = nullptr;

    void openForEdit(const QString &name)
    {
        QVERIFY(Dm->tblProject->locate(QStringLiteral("tovName"), name));
        Dm->tblProject->edit();
        dlg->show();
    }
    void openForAdd()
    {
        Dm->tblProject->append();
        dlg->show();
    }
    int projectCount() const { return db->scalar(QStringLiteral("SELECT COUNT(*) FROM projects")).toInt(); }
    QByteArray storedPicture(const QString &name) const
    {
        return db->scalar(QStringLiteral("SELECT screenshots FROM projects WHERE tovName = ?"), {name}).toByteArray();
    }
    QString writePicture(const QString &fileName, const char *format, const QColor &color, const QSize &size)
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(color);
        const QString path = rec->tempPath() + QLatin1Char('/') + fileName;
        if (!image.save(path, format))
            return {};
        return path;
    }
    void givePicture(const QString &name, const QByteArray &bytes)
    {
        db->exec(QStringLiteral("UPDATE projects SET screenshots = ? WHERE tovName = ?"), {bytes, name});
        Dm->tblProject->refresh();
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDb>();
        db->fillSample();
        rec = std::make_unique<RecordingSeams>();
        Clock::set(QDateTime(QDate(2012, 4, 17), QTime(10, 30)));
        createWindowSet(db->path());
        dlg = frmProjectEdit;
    }

    void cleanup()
    {
        destroyWindowSet();
        Clock::reset();
        rec.reset();
        db.reset();
    }

    void newProjectShowsDefaults()
    {
        QVERIFY(Dm->tblCategory->locate(QStringLiteral("catName"), QStringLiteral("Игры")));
        openForAdd();
        QCOMPARE(dlg->editNameTov->text(), QString());
        QCOMPARE(dlg->DBLookupComboBox1->currentText(), QStringLiteral("Игры"));
        QCOMPARE(dlg->DBLookupComboBox2->currentText(), QStringLiteral("2011"));
        QCOMPARE(dlg->DBLookupComboBox3->currentIndex(), -1);
        QCOMPARE(dlg->DBEdit1->text(), QStringLiteral("17.04.2012"));
        QCOMPARE(dlg->editPrice->text(), QStringLiteral("0"));
        QVERIFY(dlg->DBCheckBox1->isChecked());
        QVERIFY(!dlg->DBCheckBox2->isChecked());
        QVERIFY(!dlg->btnDelete->isEnabled());
        QCOMPARE(dlg->focusWidget(), dlg->editNameTov);
    }

    void tabWalksTheEntriesAndEndsAtTheIdeVersion()
    {
        openForEdit(QStringLiteral("Касса"));
        QStringList walk;
        QWidget *w = dlg->editNameTov;
        do {
            if (w->window() == dlg && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled())
                walk << w->objectName();
            w = w->nextInFocusChain();
        } while (w != dlg->editNameTov);
        // btnDelete is disabled without a picture; the tool buttons are outside the chain.
        QCOMPARE(walk, QStringList({"editNameTov", "DBLookupComboBox1", "editPrice", "DBLookupComboBox2",
                                    "DBEdit1", "DBEdit2", "DBEdit3", "DBEdit4", "DBCheckBox1", "BitBtn3",
                                    "DBMemo1", "DBCheckBox2", "BitBtn1", "BitBtn2", "DBLookupComboBox3"}));
    }

    // Each row leaves out one entry more than the checks before it ask for,
    // so the message shows which check runs first.
    void saveChecksRunInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("categories");
        QTest::addColumn<QString>("price");
        QTest::addColumn<bool>("years");
        QTest::addColumn<QString>("message");
        QTest::newRow("name first") << "" << false << "" << false << "Введите название проекта";
        QTest::newRow("category second") << "Новый" << false << "" << false
                                         << "Необходимо выбрать одну из категорий.";
        QTest::newRow("price third") << "Новый" << true << "" << false
                                     << "Введите стоимость проекта (Можно указать 0 при необходимости)";
        QTest::newRow("year fourth") << "Новый" << true << "0" << false << "Необходимо выбрать год разработки.";
        QTest::newRow("blank name passes, blank price not") << "   " << true << "  " << true
                                                            << "Введите стоимость проекта (Можно указать 0 при необходимости)";
    }

    void saveChecksRunInOrder()
    {
        QFETCH(QString, name);
        QFETCH(bool, categories);
        QFETCH(QString, price);
        QFETCH(bool, years);
        QFETCH(QString, message);
        if (!categories)
            db->exec(QStringLiteral("DELETE FROM category"));
        if (!years)
            db->exec(QStringLiteral("DELETE FROM years"));
        Dm->tblCategory->refresh();
        Dm->tblYear->refresh();
        const int before = projectCount();
        openForAdd();
        typeInto(dlg->editNameTov, name);
        typeInto(dlg->editPrice, price);
        dlg->DBMemo1->setFocus();

        dlg->BitBtn1Click();
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].caption, EditCaption);
        QCOMPARE(rec->notices[0].text, message);
        QVERIFY(dlg->isVisible());
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Insert);
        QCOMPARE(projectCount(), before);
        QCOMPARE(dlg->focusWidget(), name.isEmpty() ? static_cast<QWidget *>(dlg->editNameTov) : dlg->DBMemo1);

        if (name.isEmpty() || !categories || price.trimmed().isEmpty())
            return;
        // A year added meanwhile is not picked by itself: the blank box is
        // refused (the row would belong to no year); picked, the row saves.
        if (!years) {
            db->exec(QStringLiteral("INSERT INTO years (name) VALUES ('2012')"));
            Dm->tblYear->refresh();
            rec->clear();
            dlg->BitBtn1Click();
            QCOMPARE(rec->notices.value(0).text, message);
            QComboBox *box = dlg->DBLookupComboBox2;
            box->setCurrentIndex(box->findText(QStringLiteral("2012")));
            emit box->activated(box->currentIndex());
        }
        rec->clear();
        dlg->BitBtn1Click();
        QVERIFY(rec->notices.isEmpty());
        QVERIFY(!dlg->isVisible());
        QCOMPARE(projectCount(), before + 1);
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM projects WHERE year_id = 0 OR year_id IS NULL")).toInt(), 0);
    }

    void duplicateNameEmptiesTheNameAndKeepsTheRow()
    {
        openForEdit(QStringLiteral("Зарплата"));
        typeInto(dlg->editNameTov, QStringLiteral("Касса"));
        typeInto(dlg->editPrice, QStringLiteral("77,5"));
        dlg->DBMemo1->setFocus();
        dlg->BitBtn1Click();
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].caption, EditCaption);
        QCOMPARE(rec->notices[0].text, DuplicateText);
        QVERIFY(rec->errors.isEmpty());
        QVERIFY(dlg->isVisible());
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Edit);
        QCOMPARE(dlg->editNameTov->text(), QString());
        QVERIFY(Dm->tblProjecttovName->asString().isEmpty());
        QCOMPARE(dlg->focusWidget(), dlg->editNameTov);
        QCOMPARE(Dm->tblProjectprice->asMoney(), Money::fromUnits(775000));

        rec->clear();
        dlg->BitBtn1Click();
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].text, QStringLiteral("Введите название проекта"));

        typeInto(dlg->editNameTov, QStringLiteral("Зарплата 2"));
        dlg->BitBtn1Click();
        QVERIFY(!dlg->isVisible());
        QCOMPARE(db->scalar(QStringLiteral("SELECT price FROM projects WHERE tovName = 'Зарплата 2'")).toLongLong(),
                 775000);
    }

    void otherRefusalShowsItsOwnText_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("errorPart");
        QTest::newRow("date that is no date") << "DBEdit2" << "31.02.2011" << "31.02.2011";
        QTest::newRow("price that is no number") << "editPrice" << "12x" << "12x";
    }

    void otherRefusalShowsItsOwnText()
    {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, errorPart);
        openForEdit(QStringLiteral("Зарплата"));
        typeInto(dlg->editNameTov, QStringLiteral("Зарплата новая"));
        typeInto(dlg->DBEdit3, QStringLiteral("01.03.2012"));
        auto *edit = dlg->findChild<QLineEdit *>(control);
        QVERIFY(edit);
        typeInto(edit, typed);
        dlg->BitBtn1Click();

        QVERIFY(rec->notices.isEmpty());
        QCOMPARE(rec->errors.size(), 1);
        QVERIFY2(rec->errors[0].contains(errorPart), qPrintable(rec->errors[0]));
        QVERIFY(dlg->isVisible());
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Edit);
        QCOMPARE(dlg->editNameTov->text(), QStringLiteral("Зарплата новая"));
        QCOMPARE(dlg->DBEdit3->text(), QStringLiteral("01.03.2012"));
        QCOMPARE(edit->text(), typed);
        QVERIFY(db->scalar(QStringLiteral("SELECT COUNT(*) FROM projects WHERE tovName = 'Зарплата'")).toInt() == 1);

        // Mended, the same row saves with every other entry as typed.
        typeInto(edit, control == QLatin1String("editPrice") ? QStringLiteral("12") : QStringLiteral("28.02.2011"));
        dlg->BitBtn1Click();
        QVERIFY(!dlg->isVisible());
        QCOMPARE(db->scalar(QStringLiteral("SELECT datetime_update FROM projects WHERE tovName = 'Зарплата новая'"))
                     .toString(),
                 QStringLiteral("2012-03-01"));
    }

    void storeRefusalIsNotADuplicate()
    {
        db->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON projects WHEN NEW.description = 'нельзя'"
                                " BEGIN SELECT RAISE(ABORT, 'описание отклонено'); END"));
        openForAdd();
        typeInto(dlg->editNameTov, QStringLiteral("Склад"));
        dlg->DBMemo1->setPlainText(QStringLiteral("нельзя"));
        dlg->BitBtn1Click();
        QVERIFY(rec->notices.isEmpty());
        QCOMPARE(rec->errors.size(), 1);
        QVERIFY2(rec->errors[0].contains(QStringLiteral("описание отклонено")), qPrintable(rec->errors[0]));
        QCOMPARE(dlg->editNameTov->text(), QStringLiteral("Склад"));
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Insert);
        QVERIFY(dlg->isVisible());
    }

    void loadedPictureIsStoredAsBitmap_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("jpeg") << "shot.jpg" << QByteArray("JPEG");
        QTest::newRow("png") << "shot.png" << QByteArray("PNG");
        QTest::newRow("png named bmp") << "odd.bmp" << QByteArray("PNG");
        QTest::newRow("bitmap") << "shot.bmp" << QByteArray("BMP");
    }

    void loadedPictureIsStoredAsBitmap()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, format);
        const QString path = writePicture(fileName, format, QColor(200, 30, 30), QSize(64, 48));
        QVERIFY(!path.isEmpty());
        openForEdit(QStringLiteral("Тетрис"));
        QVERIFY(!dlg->btnDelete->isEnabled());

        rec->openFileAnswers.enqueue(path);
        dlg->BitBtn3Click();
        QVERIFY(rec->errors.isEmpty());
        const QByteArray pending = Dm->tblProjectscreenshots->asBytes();
        QVERIFY(pending.startsWith("BM"));
        QVERIFY(dlg->DBImgScreen->hasPicture());
        QVERIFY(dlg->btnDelete->isEnabled());
        QVERIFY(storedPicture(QStringLiteral("Тетрис")).isEmpty()); // nothing posted yet

        dlg->BitBtn1Click();
        QVERIFY(!dlg->isVisible());
        const QByteArray stored = storedPicture(QStringLiteral("Тетрис"));
        QCOMPARE(stored, pending);
        QImage image;
        QVERIFY(image.loadFromData(stored, "BMP"));
        QCOMPARE(image.size(), QSize(64, 48));
        const QColor pixel = image.pixelColor(32, 24);
        QVERIFY(pixel.red() > 170 && pixel.green() < 70 && pixel.blue() < 70);
    }

    void fileThatIsNoPictureLeavesTheRow()
    {
        const QByteArray old = bitmapOf(Qt::blue);
        givePicture(QStringLiteral("Касса"), old);
        const QString path = rec->tempPath() + QStringLiteral("/notes.jpg");
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("just some words, not a picture\n");
        text.close();

        openForEdit(QStringLiteral("Касса"));
        rec->openFileAnswers.enqueue(path);
        dlg->BitBtn3Click();
        QCOMPARE(rec->errors.size(), 1);
        QVERIFY2(rec->errors[0].contains(QStringLiteral("notes.jpg")), qPrintable(rec->errors[0]));
        QCOMPARE(Dm->tblProjectscreenshots->asBytes(), old);
        QVERIFY(!Dm->tblProject->isModified());
        QVERIFY(dlg->DBImgScreen->hasPicture());

        // A cancelled file dialog changes nothing either.
        rec->clear();
        dlg->BitBtn3Click();
        QVERIFY(rec->errors.isEmpty());
        QCOMPARE(Dm->tblProjectscreenshots->asBytes(), old);
    }

    void pictureButtonsNeverPostAndCancelRestores()
    {
        const QByteArray old = bitmapOf(Qt::blue);
        givePicture(QStringLiteral("Касса"), old);
        openForEdit(QStringLiteral("Касса"));
        QVERIFY(dlg->btnDelete->isEnabled());
        QVERIFY(dlg->DBImgScreen->hasPicture());
        typeInto(dlg->editNameTov, QStringLiteral("Касса переименованная"));

        dlg->btnDeleteClick();
        QVERIFY(Dm->tblProjectscreenshots->asBytes().isEmpty());
        QVERIFY(!dlg->DBImgScreen->hasPicture());
        QVERIFY(!dlg->btnDelete->isEnabled());
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Edit);
        QCOMPARE(storedPicture(QStringLiteral("Касса")), old);

        // A new picture over the deleted one, still only in the pending row.
        rec->openFileAnswers.enqueue(writePicture(QStringLiteral("new.png"), "PNG", Qt::green, QSize(8, 8)));
        dlg->BitBtn3Click();
        QVERIFY(dlg->btnDelete->isEnabled());
        QCOMPARE(storedPicture(QStringLiteral("Касса")), old);

        QTest::mouseClick(dlg->BitBtn2, Qt::LeftButton);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Browse);
        QCOMPARE(Dm->tblProjectscreenshots->asBytes(), old);
        QCOMPARE(Dm->tblProjecttovName->asString(), QStringLiteral("Касса"));
        QVERIFY(frmMain->DBImage1->hasPicture());
        QCOMPARE(storedPicture(QStringLiteral("Касса")), old);
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM projects WHERE tovName LIKE 'Касса%'")).toInt(), 1);
    }

    void deletedPictureIsSavedWithTheChecks()
    {
        givePicture(QStringLiteral("Касса"), bitmapOf(Qt::blue));
        openForEdit(QStringLiteral("Касса"));
        typeInto(dlg->editNameTov, QString());
        dlg->btnDeleteClick();
        dlg->BitBtn1Click();
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].text, QStringLiteral("Введите название проекта"));
        QVERIFY(!storedPicture(QStringLiteral("Касса")).isEmpty());
        typeInto(dlg->editNameTov, QStringLiteral("Касса"));
        dlg->BitBtn1Click();
        QVERIFY(!dlg->isVisible());
        QVERIFY(storedPicture(QStringLiteral("Касса")).isEmpty());
    }

    void everyOtherWayOutDiscards_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("close box") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("Отмена") << 2;
    }

    void everyOtherWayOutDiscards()
    {
        QFETCH(int, way);
        const int before = projectCount();
        openForAdd();
        typeInto(dlg->editNameTov, QStringLiteral("Черновик"));
        if (way == 0)
            dlg->close();
        else if (way == 1)
            QTest::keyClick(dlg->editNameTov, Qt::Key_Escape);
        else
            dlg->BitBtn2Click();
        QVERIFY(!dlg->isVisible());
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Browse);
        QCOMPARE(projectCount(), before);
        QVERIFY(rec->notices.isEmpty());
    }

    void enterSaves()
    {
        openForEdit(QStringLiteral("Тетрис"));
        typeInto(dlg->editNameTov, QStringLiteral("Тетрис 2"));
        QTest::keyClick(dlg->editNameTov, Qt::Key_Return);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM projects WHERE tovName = 'Тетрис 2'")).toInt(), 1);
    }

    void repositoryLabelFollowsTheSettings()
    {
        openForAdd();
        QCOMPARE(dlg->lblRepository->text(), QStringLiteral("Путь относительно svn:///"));
        QCOMPARE(dlg->lblRepository->buddy(), dlg->DBEdit4);
        dlg->BitBtn2Click();

        db->exec(QStringLiteral("INSERT INTO configs (repository_ip, path_TortoiseSVN) VALUES ('10.0.0.7', '')"));
        Dm->tblConfigs->refresh();
        openForEdit(QStringLiteral("Касса"));
        QCOMPARE(dlg->lblRepository->text(), QStringLiteral("Путь относительно svn://10.0.0.7/"));
        QCOMPARE(dlg->DBEdit4->text(), QStringLiteral("trunk/kassa"));
    }

    // The reference windows open over the editor and leave its row pending.
    void referenceWindowsOpenOverTheEditor_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("window");
        QTest::newRow("menu categories") << "mnuCat" << "frmCategory";
        QTest::newRow("menu years") << "mnuYear" << "frmYear";
        QTest::newRow("tool categories") << "ToolButton1" << "frmCategory";
        QTest::newRow("tool years") << "ToolButton2" << "frmYear";
    }

    void referenceWindowsOpenOverTheEditor()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, window);
        openForAdd();
        typeInto(dlg->editNameTov, QStringLiteral("Пока не сохранён"));
        typeInto(dlg->editPrice, QStringLiteral("15,25"));
        typeInto(dlg->DBEdit2, QStringLiteral("01.12.2012"));
        QString opened;
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            opened = modal ? modal->objectName() : QString();
            // An entry added there reloads the list the editor's drop-down shows.
            Dataset *book = window == QLatin1String("frmYear") ? static_cast<Dataset *>(Dm->tblYear)
                                                               : Dm->tblCategory;
            book->append();
            book->fields()[1]->setAsString(QStringLiteral("2099")); // the name follows the key
            book->post();
            if (auto *d = qobject_cast<QDialog *>(modal))
                d->reject();
        });
        if (auto *action = dlg->findChild<QAction *>(trigger))
            action->trigger();
        else
            QTest::mouseClick(dlg->findChild<QToolButton *>(trigger), Qt::LeftButton);
        QCOMPARE(opened, window);
        QCOMPARE(Dm->tblProject->state(), Dataset::State::Insert);
        QCOMPARE(dlg->editNameTov->text(), QStringLiteral("Пока не сохранён"));
        QCOMPARE(dlg->editPrice->text(), QStringLiteral("15,25"));
        QCOMPARE(dlg->DBEdit2->text(), QStringLiteral("01.12.2012"));
        dlg->BitBtn1Click();
        QVERIFY(rec->notices.isEmpty());
        QCOMPARE(db->scalar(QStringLiteral("SELECT price || ' ' || project_end FROM projects"
                                           " WHERE tovName = 'Пока не сохранён'")).toString(),
                 QStringLiteral("152500 2012-12-01"));
    }
};

QTEST_MAIN(TestProjectEditor)
#include "test_project_editor.moc"
