// The sales of the current project: the three commands of the main window and
// the sale editor, driven through their handlers, keys and buttons.
#include "app/DBEdit.h"
#include "app/DBText.h"
#include "app/DBGrid.h"
#include "program/WindowSet.h"
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "sales/Unit_orders_edit.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// Runs an action inside the sale editor's modal loop each time it is shown,
// and closes the editor if the action left it open.
class EditorDriver : public QObject
{
public:
    explicit EditorDriver(QWidget *editor) : m_editor(editor) { editor->installEventFilter(this); }

    std::function<void()> action;
    int shows = 0;
    bool leftOpen = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            ++shows;
            QTimer::singleShot(0, this, [this] {
                if (action)
                    action();
                if (m_editor->isVisible()) {
                    leftOpen = true;
                    m_editor->close();
                }
            });
        }
        return false;
    }

private:
    QWidget *m_editor;
};

// Types text character by character, as key presses with that text
// (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
}

Money money(const QVariant &units) { return Money::fromUnits(units.toLongLong()); }

} // namespace

class TestSales : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("fileOnly", "readOnlyFileRefusesAddAndEdit")

private slots:
    void init();
    void cleanup();

    void addWithEnterStoresTodayAndPrice();
    void addKeepsPriceAtAdd();
    void closingTheEditorStoresNothing();
    void unchangedEditWritesNothing();
    void typedSumIsSavedWithEnter();
    void refusedPostKeepsEditorOpen();
    void deleteAsksWithTheDate();
    void deletingTheOnlySaleEmptiesTheGrid();
    void noticesWithoutProjectOrSale();
    void readOnlyFileRefusesAddAndEdit();
    void buttonsRunTheMenuCommands();

private:
    void selectCategory(int recNo);
    void selectProject(const QString &name);
    int orderCount() const { return db->scalar("SELECT COUNT(*) FROM orders").toInt(); }
    Money salesTotal() const { return Dm->sqlStateOrders->fieldByName("allSumm")->asMoney(); }
    void pressOnEditor(int key);

    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> seams;
    std::unique_ptr<EditorDriver> driver;
};

void TestSales::init()
{
    TESTDB_REQUIRE_ENGINE();
    Clock::set(QDateTime(QDate(2024, 5, 17), QTime(15, 30)));
    seams = std::make_unique<RecordingSeams>();
    db = std::make_unique<TestDb>();
    db->fillSample();
    createWindowSet(db->path());
    frmMain->show(); // sorted by name, first category: Авансы, Зарплата, Касса
    driver = std::make_unique<EditorDriver>(frmOrdersEdit);
}

void TestSales::cleanup()
{
    driver.reset();
    destroyWindowSet();
    db.reset();
    seams.reset();
    Clock::reset();
}

void TestSales::selectCategory(int recNo)
{
    Dm->tblCategory->setRecNo(recNo);
    frmMain->gridCatalogCellClick(frmMain->gridCatalog);
}

void TestSales::selectProject(const QString &name)
{
    QVERIFY(Dm->tblProject->locate("tovName", name));
}

void TestSales::pressOnEditor(int key)
{
    QWidget *target = frmOrdersEdit->focusWidget() ? frmOrdersEdit->focusWidget() : frmOrdersEdit;
    QTest::keyClick(target, Qt::Key(key));
}

void TestSales::addWithEnterStoresTodayAndPrice()
{
    QCOMPARE(Dm->tblProjecttovName->asString(), QStringLiteral("Авансы"));
    const Money before = salesTotal();
    QString shownDate, shownSum;
    driver->action = [&] {
        QCOMPARE(Dm->tblOrders->state(), Dataset::State::Insert);
        shownDate = frmOrdersEdit->DBEdit1->text();
        shownSum = frmOrdersEdit->DBEdit2->text();
        QCOMPARE(frmOrdersEdit->focusWidget(), frmOrdersEdit->BitBtn1);
        pressOnEditor(Qt::Key_Return);
    };
    frmMain->mnuPayAddClick(frmMain->mnuPayAdd);

    QCOMPARE(driver->shows, 1);
    QVERIFY(!driver->leftOpen);
    QCOMPARE(shownDate, QStringLiteral("17.05.2024"));
    QCOMPARE(shownSum, Money::fromUnits(12345678).toDisplayString());
    QCOMPARE(db->scalar("SELECT COUNT(*) FROM orders WHERE project_id = 4").toInt(), 1);
    QCOMPARE(db->scalar("SELECT date_orders FROM orders WHERE project_id = 4").toString(), QStringLiteral("2024-05-17"));
    QCOMPARE(money(db->scalar("SELECT summ FROM orders WHERE project_id = 4")), Money::fromUnits(12345678));
    QVERIFY(db->scalar("SELECT COALESCE(comments, '') FROM orders WHERE project_id = 4").toString().isEmpty());

    QCOMPARE(Dm->tblOrders->state(), Dataset::State::Browse);
    QCOMPARE(Dm->tblOrders->recordCount(), 1);
    QCOMPARE(frmMain->DBGrid1->model()->rowCount(), 1);
    QCOMPARE(salesTotal(), before + Money::fromUnits(12345678));
    QCOMPARE(frmMain->DBTextAllSumm->text(), salesTotal().toDisplayString());
    QVERIFY(seams->notices.isEmpty());
    QVERIFY(seams->errors.isEmpty());
}

void TestSales::addKeepsPriceAtAdd()
{
    selectProject(QStringLiteral("Зарплата"));
    driver->action = [] { frmOrdersEdit->BitBtn1->click(); };
    frmMain->BitBtn1Click(frmMain->BitBtn1);
    QCOMPARE(money(db->scalar("SELECT summ FROM orders WHERE project_id = 2")), Money::fromRoubles(250));

    Dm->tblProject->edit();
    Dm->tblProjectprice->setAsMoney(Money::fromRoubles(999));
    Dm->tblProject->post();
    QCOMPARE(money(db->scalar("SELECT summ FROM orders WHERE project_id = 2")), Money::fromRoubles(250));
    QCOMPARE(Dm->tblOrderssumm->asMoney(), Money::fromRoubles(250));
}

void TestSales::closingTheEditorStoresNothing()
{
    const int count = orderCount();
    const Money total = salesTotal();
    const QList<std::function<void()>> ways = {
        [] { frmOrdersEdit->BitBtn2->click(); },
        [this] { pressOnEditor(Qt::Key_Escape); },
        [] { frmOrdersEdit->close(); },
    };
    for (const auto &way : ways) {
        driver->action = [&] {
            frmOrdersEdit->DBEdit3->setFocus();
            typeText(frmOrdersEdit->DBEdit3, QStringLiteral("не сохранять"));
            way();
        };
        frmMain->mnuPayAddClick(frmMain->mnuPayAdd);
        QVERIFY(!driver->leftOpen);
        QCOMPARE(Dm->tblOrders->state(), Dataset::State::Browse);
        QCOMPARE(orderCount(), count);
        QCOMPARE(salesTotal(), total);
        QCOMPARE(Dm->tblOrders->recordCount(), 0);
    }
    QCOMPARE(driver->shows, 3);
}

void TestSales::unchangedEditWritesNothing()
{
    selectProject(QStringLiteral("Касса"));
    QCOMPARE(Dm->tblOrders->recordCount(), 2);
    QSignalSpy posts(Dm->tblOrders, &Dataset::afterPost);
    driver->action = [this] {
        QCOMPARE(Dm->tblOrders->state(), Dataset::State::Edit);
        QCOMPARE(frmOrdersEdit->DBEdit1->text(), Dm->tblOrdersdate_orders->asString());
        pressOnEditor(Qt::Key_Return);
    };
    frmMain->mnuPayEditClick(frmMain->mnuPayEdit);
    QCOMPARE(driver->shows, 1);
    QVERIFY(!driver->leftOpen);
    QCOMPARE(posts.count(), 0);
    QCOMPARE(Dm->tblOrders->state(), Dataset::State::Browse);
}

void TestSales::typedSumIsSavedWithEnter()
{
    selectProject(QStringLiteral("Касса"));
    const int orderId = Dm->tblOrdersorder_id->asInteger();
    const Money oldSum = Dm->tblOrderssumm->asMoney();
    const Money total = salesTotal();
    driver->action = [] {
        DBEdit *sum = frmOrdersEdit->DBEdit2;
        sum->setFocus();
        sum->selectAll();
        typeText(sum, QStringLiteral("777,5"));
        QTest::keyClick(sum, Qt::Key_Return); // Enter in a box saves at once
    };
    frmMain->mnuPayEditClick(frmMain->mnuPayEdit);
    QVERIFY(!driver->leftOpen);
    QCOMPARE(money(db->scalar("SELECT summ FROM orders WHERE order_id = ?", {orderId})), Money::fromUnits(7775000));
    QCOMPARE(salesTotal(), Money::fromUnits(total.units() - oldSum.units() + 7775000));
    QCOMPARE(frmMain->DBTextAllSumm->text(), salesTotal().toDisplayString());
}

void TestSales::refusedPostKeepsEditorOpen()
{
    const int count = orderCount();
    bool openAfterSave = false;
    Dataset::State stateAfterSave = Dataset::State::Browse;
    driver->action = [&] {
        DBEdit *date = frmOrdersEdit->DBEdit1;
        date->setFocus();
        date->selectAll();
        typeText(date, QStringLiteral("31022024")); // no such day
        frmOrdersEdit->BitBtn1->click();
        openAfterSave = frmOrdersEdit->isVisible();
        stateAfterSave = Dm->tblOrders->state();
        frmOrdersEdit->BitBtn2->click();
    };
    frmMain->mnuPayAddClick(frmMain->mnuPayAdd);
    QCOMPARE(seams->errors.size(), 1);
    QVERIFY(openAfterSave);
    QCOMPARE(stateAfterSave, Dataset::State::Insert);
    QVERIFY(!driver->leftOpen);
    QCOMPARE(orderCount(), count);
    QCOMPARE(Dm->tblOrders->state(), Dataset::State::Browse);
}

void TestSales::deleteAsksWithTheDate()
{
    selectProject(QStringLiteral("Касса"));
    const Money total = salesTotal();
    const Money firstSum = Dm->tblOrderssumm->asMoney();
    const QString date = Dm->tblOrdersdate_orders->asString();
    QCOMPARE(date, QStringLiteral("01.02.2011"));

    seams->answers.enqueue(false);
    frmMain->mnuPayDelClick(frmMain->mnuPayDel);
    QCOMPARE(seams->questions.size(), 1);
    QCOMPARE(seams->questions[0].caption, QStringLiteral("Удаление"));
    QCOMPARE(seams->questions[0].text, QStringLiteral("Вы действительно хотите удалить продажу \"01.02.2011\"?"));
    QCOMPARE(Dm->tblOrders->recordCount(), 2);
    QCOMPARE(orderCount(), 3);

    seams->answers.enqueue(true);
    frmMain->BitBtn2Click(frmMain->BitBtn2);
    QCOMPARE(Dm->tblOrders->recordCount(), 1);
    QCOMPARE(orderCount(), 2);
    QCOMPARE(Dm->tblOrdersproject_id->asInteger(), 1); // a neighbouring sale of the same project
    QCOMPARE(salesTotal(), Money::fromUnits(total.units() - firstSum.units()));
    QCOMPARE(frmMain->DBTextAllSumm->text(), salesTotal().toDisplayString());
    QVERIFY(seams->notices.isEmpty());
}

void TestSales::deletingTheOnlySaleEmptiesTheGrid()
{
    selectCategory(2);
    QCOMPARE(Dm->tblProjecttovName->asString(), QStringLiteral("Тетрис"));
    frmMain->mnuPayDelClick(frmMain->mnuPayDel);
    QCOMPARE(Dm->tblOrders->recordCount(), 0);
    QCOMPARE(frmMain->DBGrid1->model()->rowCount(), 0);

    frmMain->mnuPayDelClick(frmMain->mnuPayDel);
    QCOMPARE(seams->questions.size(), 1);
    QCOMPARE(seams->notices.size(), 1);
    QCOMPARE(seams->notices[0].caption, QStringLiteral("Удаление товара"));
    QCOMPARE(seams->notices[0].text, QStringLiteral("Отсутствуют продажи для удаления"));
}

void TestSales::noticesWithoutProjectOrSale()
{
    // Авансы has no sales: edit and delete refuse, add works.
    frmMain->mnuPayEditClick(frmMain->mnuPayEdit);
    frmMain->mnuPayDelClick(frmMain->mnuPayDel);
    QCOMPARE(seams->notices.size(), 2);
    QCOMPARE(seams->notices[0].caption, QStringLiteral("Сообщение"));
    QCOMPARE(seams->notices[0].text, QStringLiteral("Отсутствуют продажи для модификации"));
    QCOMPARE(seams->notices[1].caption, QStringLiteral("Удаление товара"));
    QVERIFY(seams->questions.isEmpty());
    QCOMPARE(driver->shows, 0);

    // A category without projects.
    selectCategory(3);
    QCOMPARE(Dm->tblProject->recNo(), -1);
    seams->clear();
    const int count = orderCount();
    frmMain->mnuPayAddClick(frmMain->mnuPayAdd);
    QCOMPARE(seams->notices.size(), 1);
    QCOMPARE(seams->notices[0].caption, QStringLiteral("Сообщение"));
    QCOMPARE(seams->notices[0].text, QStringLiteral("Чтобы добавить продажу неободимо выбрать проект"));
    QCOMPARE(Dm->tblOrders->state(), Dataset::State::Browse);
    QCOMPARE(orderCount(), count);
    frmMain->mnuPayEditClick(frmMain->mnuPayEdit);
    QCOMPARE(seams->notices.last().text, QStringLiteral("Отсутствуют продажи для модификации"));
    QCOMPARE(driver->shows, 0);

    // A search that finds nothing.
    selectCategory(1);
    frmMain->editTovName->setText(QStringLiteral("нет такого"));
    frmMain->BtnSearchClick(frmMain->BtnSearch);
    seams->clear();
    frmMain->mnuPayAddClick(frmMain->mnuPayAdd);
    QCOMPARE(seams->notices.size(), 1);
    QCOMPARE(seams->notices[0].text, QStringLiteral("Чтобы добавить продажу неободимо выбрать проект"));
    QCOMPARE(driver->shows, 0);
}

void TestSales::readOnlyFileRefusesAddAndEdit()
{
    RUN_AS_NOBODY_WHEN_ROOT();
    destroyWindowSet();
    QFile::setPermissions(db->path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (QFileInfo(db->path()).isWritable())
        QSKIP("the file stays writable for this user");
    createWindowSet(db->path());
    driver = std::make_unique<EditorDriver>(frmOrdersEdit);
    frmMain->show();
    selectProject(QStringLiteral("Касса"));
    frmMain->mnuPayAddClick(frmMain->mnuPayAdd);
    frmMain->mnuPayEditClick(frmMain->mnuPayEdit);
    QCOMPARE(seams->notices.size(), 2);
    for (const auto &notice : seams->notices) {
        QCOMPARE(notice.caption, QStringLiteral("Ошибка"));
        QCOMPARE(notice.text, QStringLiteral("Нельзя модифицировать данные"));
    }
    QCOMPARE(driver->shows, 0);
}

void TestSales::buttonsRunTheMenuCommands()
{
    selectProject(QStringLiteral("Касса"));
    driver->action = [] { frmOrdersEdit->BitBtn2->click(); };
    frmMain->BitBtn3->click();
    QCOMPARE(driver->shows, 1);
    frmMain->mnuPayAdd->trigger();
    QCOMPARE(driver->shows, 2);
    seams->answers.enqueue(false);
    frmMain->mnuPayDel->trigger();
    QCOMPARE(seams->questions.size(), 1);
    QCOMPARE(orderCount(), 3);
}

TESTDB_MAIN(TestSales)
#include "test_sales.moc"
