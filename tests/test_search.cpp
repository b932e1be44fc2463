// The search group "Отбор данных" of the main window: the expression it puts
// on the project list, its drop-downs, clear, double click and key filter.
#include "app/DBGrid.h"
#include "program/WindowSet.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

// Types text character by character, as key presses with that text
// (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void expressionOfEachCriterion_data();
    void expressionOfEachCriterion();
    void noCriterionListsEveryProject();
    void searchCrossesCategories();
    void codeLosesLeadingZeros();
    void priceComparisons_data();
    void priceComparisons();
    void apostropheAndLetterCase_data();
    void apostropheAndLetterCase();
    void unparsableFilterShowsEveryProject();
    void checkBoxesFillAndEmptyTheirLists();
    void laterYearListedOnlyAfterRechecking();
    void emptyReferenceUnchecksTheBox();
    void doubleClickEmptiesAndSearches();
    void keyFilterLetsOnlyDigits();
    void clearRestoresTheCategory();
    void categoryClickReplacesTheSearch();
    void searchKeepsTheOrder();

private:
    void check(QCheckBox *box, bool on) { box->setChecked(on); }
    void search() { frmMain->BtnSearchClick(frmMain->BtnSearch); }
    QStringList listedNames() const;
    QString filter() const { return Dm->tblProject->isFiltered() ? Dm->tblProject->filter() : QString(); }

    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> seams;
};

void TestSearch::init()
{
    TESTDB_REQUIRE_ENGINE();
    seams = std::make_unique<RecordingSeams>();
    db = std::make_unique<TestDb>();
    db->fillSample();
    // A third year, and projects up to the code 7, one of them free and one with an apostrophe.
    db->exec("INSERT INTO years (name) VALUES ('2012')");
    db->exec("INSERT INTO projects (cat_id, year_id, version_id, tovName, price, isExports, isExportsDesc) VALUES"
             " (2, 3, 2, 'Шахматы', 0, 1, 0), (2, 3, 2, 'O''Neil Бухучёт', 20000000, 1, 0),"
             " (1, 3, 2, 'Бухгалтерия предприятия', 15000000, 1, 0)");
    createWindowSet(db->path());
    frmMain->show(); // sorted by name, category Бухгалтерия
}

void TestSearch::cleanup()
{
    destroyWindowSet();
    db.reset();
    seams.reset();
}

QStringList TestSearch::listedNames() const
{
    QStringList names;
    Dataset *projects = Dm->tblProject;
    const int recNo = projects->recNo();
    for (projects->first(); !projects->eof(); projects->next())
        names << Dm->tblProjecttovName->asString();
    projects->setRecNo(recNo);
    return names;
}

void TestSearch::expressionOfEachCriterion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("year");  // item of cbYear, -1 unchecked
    QTest::addColumn<int>("ide");   // item of cbIde, -1 unchecked
    QTest::addColumn<int>("op");    // item of cbPriceOpt
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all five") << "бух" << "007" << 2 << 1 << 1 << "1000"
                              << "tovName LIKE '%бух%' AND project_id='7' AND year_id='3' AND version_id='2' AND price>='1000'";
    QTest::newRow("name") << "Касса" << "" << -1 << -1 << 1 << "" << "tovName LIKE '%Касса%'";
    QTest::newRow("name kept as typed") << " a b " << "" << -1 << -1 << 1 << "" << "tovName LIKE '% a b %'";
    QTest::newRow("code") << "" << "12" << -1 << -1 << 1 << "" << "project_id='12'";
    QTest::newRow("code too long") << "" << "99999999999" << -1 << -1 << 1 << "" << "project_id='0'";
    QTest::newRow("year") << "" << "" << 0 << -1 << 1 << "" << "year_id='1'";
    QTest::newRow("ide") << "" << "" << -1 << 0 << 1 << "" << "version_id='1'";
    QTest::newRow("year and price") << "" << "" << 1 << -1 << 3 << "0" << "year_id='2' AND price<>'0'";
    QTest::newRow("code and ide") << "" << "3" << -1 << 1 << 0 << "" << "project_id='3' AND version_id='2'";
    QTest::newRow("price =") << "" << "" << -1 << -1 << 0 << "250" << "price='250'";
    QTest::newRow("price <=") << "" << "" << -1 << -1 << 2 << "0250" << "price<='0250'";
    QTest::newRow("apostrophe doubled") << "O'Neil" << "" << -1 << -1 << 1 << "" << "tovName LIKE '%O''Neil%'";
}

void TestSearch::expressionOfEachCriterion()
{
    QFETCH(QString, name);
    QFETCH(QString, code);
    QFETCH(int, year);
    QFETCH(int, ide);
    QFETCH(int, op);
    QFETCH(QString, price);
    QFETCH(QString, expected);

    frmMain->editTovName->setText(name);
    frmMain->EditKodProject->setText(code);
    check(frmMain->checkYear, year >= 0);
    if (year >= 0)
        frmMain->cbYear->setCurrentIndex(year);
    check(frmMain->checkIde, ide >= 0);
    if (ide >= 0)
        frmMain->cbIde->setCurrentIndex(ide);
    frmMain->cbPriceOpt->setCurrentIndex(op);
    frmMain->editPrice->setText(price);
    search();
    QCOMPARE(filter(), expected);
    QVERIFY(seams->errors.isEmpty());
}

void TestSearch::noCriterionListsEveryProject()
{
    Dm->tblCategory->setRecNo(2);
    search();
    QVERIFY(!Dm->tblProject->isFiltered());
    QCOMPARE(Dm->tblProject->recordCount(), 7);
    QCOMPARE(Dm->tblProject->recNo(), 1);
    QCOMPARE(Dm->tblCategory->recNo(), 2);
}

void TestSearch::searchCrossesCategories()
{
    QCOMPARE(Dm->tblCategory->recNo(), 1);
    frmMain->editTovName->setText(QStringLiteral("трис")); // Тетрис, category 2
    search();
    QCOMPARE(listedNames(), QStringList{QStringLiteral("Тетрис")});
    QCOMPARE(Dm->tblCategory->recNo(), 1);
    // The sales follow the project found.
    QCOMPARE(Dm->tblOrders->recordCount(), 1);
}

void TestSearch::codeLosesLeadingZeros()
{
    frmMain->EditKodProject->setText(QStringLiteral("007"));
    search();
    QCOMPARE(listedNames(), QStringList{QStringLiteral("Бухгалтерия предприятия")});
    QCOMPARE(Dm->tblProjectproject_id->asInteger(), 7);

    frmMain->EditKodProject->setText(QStringLiteral("99999999999"));
    search();
    QCOMPARE(Dm->tblProject->recordCount(), 0);
    QCOMPARE(Dm->tblProject->recNo(), -1);
}

void TestSearch::priceComparisons_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("price");
    QTest::addColumn<int>("count");
    QTest::newRow("<> 0") << 3 << "0" << 6;
    QTest::newRow("= 0") << 0 << "0" << 1;
    QTest::newRow(">= 1500") << 1 << "1500" << 3; // 1500.5, 1500, 2000
    QTest::newRow("<= 250") << 2 << "250" << 3;   // 0, 99.99, 250
    QTest::newRow("= 1234 misses 1234.5678") << 0 << "1234" << 0;
}

void TestSearch::priceComparisons()
{
    QFETCH(int, op);
    QFETCH(QString, price);
    QFETCH(int, count);
    frmMain->cbPriceOpt->setCurrentIndex(op);
    frmMain->editPrice->setText(price);
    search();
    QCOMPARE(Dm->tblProject->recordCount(), count);
}

void TestSearch::apostropheAndLetterCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("found");
    const QStringList oneil{QStringLiteral("O'Neil Бухучёт")};
    const QStringList buh{QStringLiteral("Бухгалтерия предприятия"), QStringLiteral("O'Neil Бухучёт")};
    QTest::newRow("apostrophe") << "O'Neil" << oneil;
    QTest::newRow("apostrophe alone") << "'" << oneil;
    QTest::newRow("latin lower case") << "o'neil" << oneil;
    QTest::newRow("cyrillic lower case") << "бух" << buh;
    QTest::newRow("cyrillic upper case") << "БУХ" << buh;
    QTest::newRow("cyrillic mixed, ё") << "бУхУЧЁт" << oneil;
    QTest::newRow("касса upper") << "КАССА" << QStringList{QStringLiteral("Касса")};
    QTest::newRow("anywhere in the name") << "ахмат" << QStringList{QStringLiteral("Шахматы")};
}

void TestSearch::apostropheAndLetterCase()
{
    QFETCH(QString, name);
    QFETCH(QStringList, found);
    frmMain->editTovName->setText(name);
    search();
    QVERIFY(seams->errors.isEmpty());
    QVERIFY(Dm->tblProject->isFiltered());
    QStringList names = listedNames();
    names.sort();
    found.sort();
    QCOMPARE(names, found);
}

void TestSearch::unparsableFilterShowsEveryProject()
{
    // Pasted text passes no key filter.
    frmMain->editPrice->setText(QStringLiteral("abc"));
    search();
    QCOMPARE(seams->errors.size(), 1);
    QVERIFY(!Dm->tblProject->isFiltered());
    QCOMPARE(Dm->tblProject->recordCount(), 7);
    QCOMPARE(Dm->tblProject->recNo(), 1);
}

void TestSearch::checkBoxesFillAndEmptyTheirLists()
{
    QComboBox *years = frmMain->cbYear;
    QVERIFY(!years->isEnabled());
    QCOMPARE(years->count(), 0);
    check(frmMain->checkYear, true);
    QVERIFY(years->isEnabled());
    QCOMPARE(years->count(), 3);
    QCOMPARE(years->currentIndex(), 0);
    QCOMPARE(years->itemText(2), QStringLiteral("2012"));
    QCOMPARE(yearIndexes.size(), size_t(3));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(years->itemData(i).value<TMyIndex *>(), yearIndexes[i].get());
        QCOMPARE(yearIndexes[i]->GetIndex(), i + 1);
    }
    // The walk leaves the years on their last row.
    QCOMPARE(Dm->tblYear->recNo(), 3);

    check(frmMain->checkIde, true);
    QCOMPARE(frmMain->cbIde->count(), 2);
    QCOMPARE(frmMain->cbIde->itemText(1), QStringLiteral("Редактор"));
    QCOMPARE(ideIndexes[1]->GetIndex(), 2);

    check(frmMain->checkYear, false);
    QVERIFY(!years->isEnabled());
    QCOMPARE(years->count(), 0);
    QVERIFY(frmMain->cbIde->isEnabled());
}

void TestSearch::laterYearListedOnlyAfterRechecking()
{
    check(frmMain->checkYear, true);
    Dm->tblYear->append();
    Dm->tblYearname->setAsString(QStringLiteral("2015"));
    Dm->tblYear->post();
    const int newKey = Dm->tblYearyear_id->asInteger();
    QCOMPARE(frmMain->cbYear->count(), 3);

    check(frmMain->checkYear, false);
    check(frmMain->checkYear, true);
    QCOMPARE(frmMain->cbYear->count(), 4);
    QCOMPARE(frmMain->cbYear->itemText(3), QStringLiteral("2015"));
    frmMain->cbYear->setCurrentIndex(3);
    search();
    QCOMPARE(filter(), QStringLiteral("year_id='%1'").arg(newKey));
    QCOMPARE(Dm->tblProject->recordCount(), 0);
}

void TestSearch::emptyReferenceUnchecksTheBox()
{
    destroyWindowSet();
    db->exec("UPDATE projects SET version_id = NULL");
    db->exec("DELETE FROM ide");
    createWindowSet(db->path());
    frmMain->show();
    check(frmMain->checkIde, true);
    QVERIFY(!frmMain->checkIde->isChecked());
    QVERIFY(!frmMain->cbIde->isEnabled());
    QCOMPARE(frmMain->cbIde->count(), 0);
    QVERIFY(seams->notices.isEmpty());
    QVERIFY(seams->errors.isEmpty());
}

void TestSearch::doubleClickEmptiesAndSearches()
{
    frmMain->editTovName->setText(QStringLiteral("Бух"));
    frmMain->editPrice->setText(QStringLiteral("200"));
    frmMain->EditKodProject->setText(QStringLiteral("8"));
    search();
    QCOMPARE(Dm->tblProject->recordCount(), 0);

    // The code box has no double-click action.
    QTest::mouseDClick(frmMain->EditKodProject, Qt::LeftButton);
    QCOMPARE(frmMain->EditKodProject->text(), QStringLiteral("8"));
    frmMain->EditKodProject->clear();

    QTest::mouseDClick(frmMain->editPrice, Qt::LeftButton);
    QVERIFY(frmMain->editPrice->text().isEmpty());
    QCOMPARE(filter(), QStringLiteral("tovName LIKE '%Бух%'"));
    QCOMPARE(Dm->tblProject->recordCount(), 2);

    QTest::mouseDClick(frmMain->editTovName, Qt::LeftButton);
    QVERIFY(frmMain->editTovName->text().isEmpty());
    QVERIFY(!Dm->tblProject->isFiltered());
    QCOMPARE(Dm->tblProject->recordCount(), 7);
}

void TestSearch::keyFilterLetsOnlyDigits()
{
    for (QLineEdit *box : {frmMain->EditKodProject, frmMain->editPrice}) {
        box->setFocus();
        typeText(box, QStringLiteral("1a2б.3,-4 5"));
        QCOMPARE(box->text(), QStringLiteral("12345"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("1234"));
    }
    // The name box takes every character.
    typeText(frmMain->editTovName, QStringLiteral("a1'б"));
    QCOMPARE(frmMain->editTovName->text(), QStringLiteral("a1'б"));

    for (const QChar passes : {QChar(u'0'), QChar(u'9'), QChar(8)}) {
        QChar key = passes;
        frmMain->editPriceKeyPress(frmMain->editPrice, key);
        QCOMPARE(key, passes);
    }
    for (const QChar refused : {QChar(u'/'), QChar(u':'), QChar(u'.'), QChar(u'ж'), QChar(u'٣')}) {
        QChar key = refused;
        frmMain->editPriceKeyPress(frmMain->editPrice, key);
        QVERIFY(key.isNull());
    }
}

void TestSearch::clearRestoresTheCategory()
{
    Dm->tblCategory->setRecNo(2);
    frmMain->editTovName->setText(QStringLiteral("х"));
    frmMain->EditKodProject->setText(QStringLiteral("5"));
    frmMain->editPrice->setText(QStringLiteral("1"));
    frmMain->cbPriceOpt->setCurrentIndex(3);
    check(frmMain->checkYear, true);
    check(frmMain->checkIde, true);
    frmMain->cbIde->setCurrentIndex(1);
    search();

    frmMain->btnClearClick(frmMain->btnClear);
    QVERIFY(frmMain->editTovName->text().isEmpty());
    QVERIFY(frmMain->EditKodProject->text().isEmpty());
    QVERIFY(frmMain->editPrice->text().isEmpty());
    QVERIFY(!frmMain->checkYear->isChecked());
    QVERIFY(!frmMain->cbYear->isEnabled());
    QCOMPARE(frmMain->cbYear->count(), 0);
    QVERIFY(frmMain->checkIde->isChecked());
    QVERIFY(frmMain->cbIde->isEnabled());
    QCOMPARE(frmMain->cbIde->currentIndex(), 1);
    QCOMPARE(frmMain->cbPriceOpt->currentText(), QStringLiteral("<>"));
    QCOMPARE(filter(), QStringLiteral("cat_id='2'"));
    QCOMPARE(Dm->tblCategory->recNo(), 2);
    QStringList names = listedNames();
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("O'Neil Бухучёт"), QStringLiteral("Тетрис"), QStringLiteral("Шахматы")}));
}

void TestSearch::categoryClickReplacesTheSearch()
{
    frmMain->editTovName->setText(QStringLiteral("а"));
    search();
    QVERIFY(Dm->tblProject->recordCount() > 3);
    Dm->tblCategory->setRecNo(2);
    frmMain->gridCatalogCellClick(frmMain->gridCatalog);
    QCOMPARE(filter(), QStringLiteral("cat_id='2'"));
    QCOMPARE(frmMain->editTovName->text(), QStringLiteral("а"));
    QCOMPARE(Dm->tblProject->recNo(), 1);
}

void TestSearch::searchKeepsTheOrder()
{
    // Russian order: Cyrillic names before Latin ones.
    const QStringList byName = {QStringLiteral("Авансы"), QStringLiteral("Бухгалтерия предприятия"),
                                QStringLiteral("Зарплата"), QStringLiteral("Касса"), QStringLiteral("Тетрис"),
                                QStringLiteral("Шахматы"), QStringLiteral("O'Neil Бухучёт")};
    search();
    QCOMPARE(listedNames(), byName);
    frmMain->editTovName->setText(QStringLiteral("а"));
    search();
    QCOMPARE(listedNames(), (QStringList{QStringLiteral("Авансы"), QStringLiteral("Бухгалтерия предприятия"),
                                         QStringLiteral("Зарплата"), QStringLiteral("Касса"), QStringLiteral("Шахматы")}));

    // A project saved meanwhile takes its place by name.
    Dm->tblProject->append();
    Dm->tblProjecttovName->setAsString(QStringLiteral("Банк"));
    Dm->tblProject->post();
    frmMain->editTovName->clear();
    search();
    QStringList withNew = byName;
    withNew.insert(1, QStringLiteral("Банк"));
    QCOMPARE(listedNames(), withNew);
    QVERIFY(Dm->tblProject->locate("tovName", QStringLiteral("Банк")));
    Dm->tblProject->edit();
    Dm->tblProjecttovName->setAsString(QStringLiteral("Яблоко"));
    Dm->tblProject->post();
    search();
    QCOMPARE(listedNames().at(listedNames().size() - 2), QStringLiteral("Яблоко"));
    QVERIFY(Dm->tblProject->locate("tovName", QStringLiteral("Яблоко")));
    Dm->tblProject->edit();
    Dm->tblProjecttovName->setAsString(QStringLiteral("Банк"));
    Dm->tblProject->post();

    // Another order holds across the following searches.
    frmMain->mnuOrderDescClick(frmMain->mnuOrderDesc);
    frmMain->editTovName->setText(QStringLiteral("б"));
    search();
    QCOMPARE(listedNames(), (QStringList{QStringLiteral("O'Neil Бухучёт"), QStringLiteral("Бухгалтерия предприятия"),
                                         QStringLiteral("Банк")}));
    frmMain->btnClearClick(frmMain->btnClear);
    QCOMPARE(listedNames(), (QStringList{QStringLiteral("Касса"), QStringLiteral("Зарплата"),
                                         QStringLiteral("Бухгалтерия предприятия"), QStringLiteral("Банк"),
                                         QStringLiteral("Авансы")}));
}

QTEST_MAIN(TestSearch)
#include "test_search.moc"
