// The data module and the dataset layer over a real database file.
#include "data/core/Clock.h"
#include "data/engine/Engine.h"
#include "data/module/UnitDM.h"
#include "support/TestDb.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QUrlQuery>
#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList names(Dataset *ds, const Field *f)
{
    QStringList out;
    for (int i = 0; i < ds->recordCount(); ++i)
        out << ds->displayTextAt(i, f);
    return out;
}

} // namespace

class TestDataModule : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("fileOnly", "aReadOnlyFileCanNotBeModified")
    Q_CLASSINFO("serverOnly", "aServerThatCanNotBeUsedSaysWhyInRussian aDroppedConnectionIsReportedAndTheNextActionReconnects aReadThatFailsMidwayIsRefusedWhole aUserWhoMayOnlyReadOpensTheCatalogue")
    std::unique_ptr<TestDb> db;
    TDm *dm = nullptr;

private slots:
    void init()
    {
        TESTDB_REQUIRE_ENGINE();
        Clock::set(QDateTime(QDate(2026, 12, 9), QTime(14, 30)));
        db = std::make_unique<TestDb>();
        db->fillSample();
        dm = db->openDm();
    }
    void cleanup()
    {
        db.reset();
        Clock::reset();
    }

    void opensEveryDatasetWithTheFirstRowCurrent()
    {
        QCOMPARE(dm->tblCategory->recordCount(), 3);
        QCOMPARE(dm->tblCategory->recNo(), 1);
        QCOMPARE(dm->tblCategorycatName->asString(), QString("Бухгалтерия"));
        QCOMPARE(dm->tblProject->recordCount(), 4);
        QCOMPARE(dm->tblConfigs->recordCount(), 0);
        QVERIFY(dm->tblConfigsrepository_ip->asString().isEmpty());
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 4);
        QCOMPARE(dm->sqlStatistic->fieldByName("allPriceProject")->asMoney().units(),
                 15005000LL + 2500000 + 999900 + 12345678);
        QCOMPARE(dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 15005000LL + 14000000 + 999900);
        QVERIFY(!dm->isCopy);
    }

    void startFailsOnAMissingFileTableOrColumn()
    {
        db.reset();
        TestDb broken;
        QVERIFY_THROWS_EXCEPTION(DataError, TDm(broken.dir() + "/none.mdb"));
        broken.exec("DROP TABLE ide");
        try {
            TDm module(broken.path());
            QFAIL("opened without a table");
        } catch (const DataError &e) {
            QCOMPARE(e.kind(), DataError::Kind::Missing);
            QVERIFY(e.text().contains("ide"));
        }
        TestDb noColumn;
        {
            // The bin's and history's triggers name every column: a file that lost one has none.
            Database plain;
            plain.open(noColumn.path());
            plain.runScript(plain.engine().dropStatements(plain, QStringLiteral("trail_")).join(QStringLiteral(";\n")));
        }
        noColumn.exec("ALTER TABLE orders DROP COLUMN comments");
        try {
            TDm module(noColumn.path());
            QFAIL("opened without a column");
        } catch (const DataError &e) {
            QVERIFY(e.text().contains("comments"));
        }
    }

    void filterAndSortActOnTheRowsHeld()
    {
        Dataset *p = dm->tblProject;
        p->setSort("tovName");
        p->setFilter("cat_id='1'");
        p->setFiltered(true);
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Авансы", "Зарплата", "Касса"}));
        QCOMPARE(p->recNo(), 1);
        p->setSort("tovName DESC");
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Касса", "Зарплата", "Авансы"}));
        p->setFiltered(false);
        p->setFilter("cat_id='2'");
        p->setFiltered(true);
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Тетрис"}));
        p->setFilter("price>='1000'");
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Касса", "Авансы"}));
        const QString current = dm->tblProjecttovName->asString();
        p->setSort("project_id DESC");
        QCOMPARE(p->displayTextAt(0, dm->tblProjectproject_id), QString("4"));
        QCOMPARE(dm->tblProjecttovName->asString(), current); // a new order keeps the current row
        QVERIFY_THROWS_EXCEPTION(DataError, p->setSort("nosuch ASC"));
    }

    void sortingComparesValuesNotTheirText()
    {
        Dataset *p = dm->tblProject;
        p->setSort("price");
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Тетрис", "Зарплата", "Авансы", "Касса"}));
        p->setSort("project_end DESC"); // empty dates sort below every date
        QCOMPARE(p->displayTextAt(0, dm->tblProjecttovName), QString("Касса"));
        QVERIFY(p->displayTextAt(3, dm->tblProjectproject_end).isEmpty());
        p->setSort("project_begin");
        QCOMPARE(names(p, dm->tblProjectproject_begin),
                 QStringList({"10.01.2010", "01.03.2010", "01.02.2011", "05.05.2011"}));
    }

    // Russian order whatever the process's locale: Ё among Е, numbers by
    // value, letter case ignored; Cyrillic before other scripts.
    void textSortsInRussianOrder()
    {
        const QStringList sorted = {"абв", "Абг", "Авансы", "ёж", "Ежи", "Ёлка", "Ель", "Жук", "Зарплата", "Касса",
                                    "Проект 9", "Проект 10", "Тетрис", "Яблоко", "№1", "№2", "№10", "№1000", "Zeta"};
        for (const char *name : {"Яблоко", "№10", "Ель", "Проект 10", "Zeta", "№2", "Ёлка", "Жук", "Абг", "№1000",
                                 "Проект 9", "ёж", "№1", "абв", "Ежи"})
            db->exec("INSERT INTO projects (cat_id, tovName) VALUES (1, ?)", {QString::fromUtf8(name)});
        db->closeDm();
        dm = db->openDm();
        Dataset *p = dm->tblProject;
        p->setSort("tovName");
        QCOMPARE(names(p, dm->tblProjecttovName), sorted);
        QStringList reversed(sorted.rbegin(), sorted.rend());
        p->setSort("tovName DESC");
        QCOMPARE(names(p, dm->tblProjecttovName), reversed);
        // A renamed row takes its place among the others.
        QVERIFY(p->locate("tovName", "Яблоко"));
        p->edit();
        dm->tblProjecttovName->setAsString("Ёрш");
        p->post();
        p->setSort("tovName");
        QCOMPARE(names(p, dm->tblProjecttovName).mid(3, 5), QStringList({"ёж", "Ежи", "Ёлка", "Ель", "Ёрш"}));
    }

    void orderIsTheSameWhateverTheLocale()
    {
        for (const char *lang : {"C", "ru_RU.UTF-8"}) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("LANG", lang);
            env.insert("LC_ALL", lang);
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {"textSortsInRussianOrder"});
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
        }
    }

    // What a filter reads from (the key index, the folded names) follows
    // every post, edit of the indexed column and delete.
    void filterCachesFollowPostsEditsAndDeletes()
    {
        Dataset *p = dm->tblProject;
        p->setSort("tovName");
        p->setFilter("cat_id='2'");
        p->setFiltered(true);
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Тетрис"}));
        p->append();
        dm->tblProjectcat_id->setAsInteger(2);
        dm->tblProjecttovName->setAsString("Гольф");
        p->post();
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Гольф", "Тетрис"}));

        const auto show = [p](const QString &filter) {
            p->setFilter(filter);
            return p->recordCount();
        };
        QCOMPARE(show("cat_id='1'"), 3);
        QVERIFY(p->locate("tovName", "Касса"));
        p->edit();
        dm->tblProjectcat_id->setAsInteger(2);
        dm->tblProjecttovName->setAsString("Кассовый учёт");
        p->post();
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Авансы", "Зарплата"}));
        QCOMPARE(show("cat_id='2'"), 3);
        QCOMPARE(show("tovName LIKE '%учЁТ%'"), 1);
        QCOMPARE(dm->tblProjecttovName->asString(), QString("Кассовый учёт"));

        // Deleting the first row held moves every later row's place.
        QVERIFY(show("cat_id='2'") == 3 && p->locate("tovName", "Кассовый учёт"));
        p->remove();
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Гольф", "Тетрис"}));
        QCOMPARE(show("cat_id='1'"), 2);
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Авансы", "Зарплата"}));
        QCOMPARE(show("tovName LIKE '%а%' AND cat_id<>'1'"), 0);
        QCOMPARE(show("tovName LIKE '%ф%' OR project_id='2'"), 2);
        QCOMPARE(show("cat_id='2' OR tovName LIKE '%аванс%'"), 3);
        QCOMPARE(show("cat_id='1.5'"), 0);
        p->setFiltered(false);
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Авансы", "Гольф", "Зарплата", "Тетрис"}));
    }

    // One category's names are put in order by themselves before the whole
    // list ever is; that order agrees with the whole list's, after a rename too.
    void aCategoryOrderedAloneAgreesWithTheWholeList()
    {
        for (int i = 0; i < 20; ++i)
            db->exec("INSERT INTO projects (cat_id, tovName) VALUES (1, ?)", {QStringLiteral("Запас %1").arg(i)});
        for (const char *name : {"Проект 10", "ёж", "Ежи", "Проект 9", "Ёлка"})
            db->exec("INSERT INTO projects (cat_id, tovName) VALUES (3, ?)", {QString::fromUtf8(name)});
        db->closeDm();
        dm = db->openDm();
        Dataset *p = dm->tblProject;
        p->setFilter("cat_id='3'");
        p->setFiltered(true);
        p->setSort("tovName DESC");
        QCOMPARE(names(p, dm->tblProjecttovName), QStringList({"Проект 10", "Проект 9", "Ёлка", "Ежи", "ёж"}));
        p->setSort("tovName");
        QVERIFY(p->locate("tovName", "Ежи"));
        p->edit();
        dm->tblProjecttovName->setAsString("Проект 11");
        p->post();
        const QStringList sorted = {"ёж", "Ёлка", "Проект 9", "Проект 10", "Проект 11"};
        QCOMPARE(names(p, dm->tblProjecttovName), sorted);
        p->setFiltered(false); // the whole list: every name takes its rank
        QCOMPARE(p->recordCount(), 29);
        p->setFilter("cat_id='3'");
        p->setFiltered(true);
        QCOMPARE(names(p, dm->tblProjecttovName), sorted);
    }

    void aFilterThatDoesNotParseStaysOff()
    {
        Dataset *p = dm->tblProject;
        p->setFilter("cat_id='2'");
        p->setFiltered(true);
        QCOMPARE(p->recordCount(), 1);
        p->setFiltered(false);
        p->setFilter("tovName LIKE '%O'Brien%'");
        QVERIFY_THROWS_EXCEPTION(DataError, p->setFiltered(true));
        QVERIFY(!p->isFiltered());
        QCOMPARE(p->recordCount(), 4);
    }

    void recordNumberFollowsTheFilteredOrder()
    {
        Dataset *p = dm->tblProject;
        p->setSort("tovName");
        p->setRecNo(3);
        QCOMPARE(dm->tblProjecttovName->asString(), QString("Касса"));
        p->setRecNo(99); // out of range: nothing moves
        QCOMPARE(p->recNo(), 3);
        p->append();
        QCOMPARE(p->recNo(), -1);
        p->cancel();
        QCOMPARE(p->recNo(), 3);
        p->setFilter("cat_id='3'");
        p->setFiltered(true);
        QCOMPARE(p->recNo(), -1);
        QCOMPARE(p->recordCount(), 0);
        QVERIFY(p->eof());
    }

    void walkingVisitsEveryRowOnce()
    {
        Dataset *y = dm->tblYear;
        QStringList seen;
        for (y->first(); !y->eof(); y->next())
            seen << dm->tblYearname->asString();
        QCOMPARE(seen, QStringList({"2010", "2011"}));
    }

    void aNewProjectStartsWithItsDefaults()
    {
        dm->tblCategory->setRecNo(2);
        dm->tblYear->first();
        dm->tblProject->append();
        QVERIFY(dm->tblProject->isModified());
        QCOMPARE(dm->tblProjectcat_id->asInteger(), 2);
        QCOMPARE(dm->tblProjectyear_id->asInteger(), 2); // the last year of the list
        QCOMPARE(dm->tblYear->recNo(), 2);
        QCOMPARE(dm->tblProjectproject_begin->asString(), QString("09.12.2026"));
        QCOMPARE(dm->tblProjectproject_begin->asDateTime().time(), QTime(0, 0));
        QVERIFY(!dm->tblProjectprice->isNull());
        QCOMPARE(dm->tblProjectprice->asMoney().units(), 0LL);
        QVERIFY(dm->tblProjectisExports->asBoolean());
        QVERIFY(!dm->tblProjectisExportsDesc->asBoolean());
        QVERIFY(dm->tblProjectversion_id->isNull());
        QCOMPARE(dm->tblProjectstrCat->asString(), QString("Игры"));

        dm->tblProjecttovName->setAsString("Новый");
        dm->tblProject->post();
        QCOMPARE(db->scalar("SELECT project_begin FROM projects WHERE tovName='Новый'").toString(), QString("2026-12-09"));
        QCOMPARE(dm->tblProjecttovName->asString(), QString("Новый"));
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 5);
    }

    void defaultsNeedNoReferenceRows()
    {
        db.reset();
        db = std::make_unique<TestDb>();
        dm = db->openDm();
        dm->tblProject->append();
        QCOMPARE(dm->tblProjectcat_id->asInteger(), 0);
        QCOMPARE(dm->tblProjectyear_id->asInteger(), 0);
        QVERIFY(dm->sqlStatistic->fieldByName("allPriceProject")->isNull());
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 0);
        QVERIFY(dm->sqlStateOrders->fieldByName("allSumm")->isNull());
    }

    void aCopyTakesEverythingButIdeAndPicture()
    {
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 1", {QByteArray("BMpicture")});
        QVERIFY(dm->tblProject->locate("project_id", 1));
        QCOMPARE(dm->tblProjectscreenshots->asBytes(), QByteArray("BMpicture"));
        dm->isCopy = true;
        dm->tblProject->append();
        QVERIFY(!dm->isCopy);
        QCOMPARE(dm->tblProjecttovName->asString(), QString("Касса (копия)"));
        QCOMPARE(dm->tblProjectcat_id->asInteger(), 1);
        QCOMPARE(dm->tblProjectyear_id->asInteger(), 1);
        QCOMPARE(dm->tblProjectprice->asMoney().units(), 15005000LL);
        QCOMPARE(dm->tblProjectproject_end->asDate(), QDate(2010, 9, 30));
        QCOMPARE(dm->tblProjectdatetime_update->asDate(), QDate(2011, 1, 15));
        QCOMPARE(dm->tblProjectdescription->asString(), QString("Учёт кассы"));
        QCOMPARE(dm->tblProjectpath_repository->asString(), QString("trunk/kassa"));
        QVERIFY(dm->tblProjectisExportsDesc->asBoolean());
        QVERIFY(dm->tblProjectversion_id->isNull());
        QVERIFY(dm->tblProjectscreenshots->isNull());
        dm->tblProject->post();
        QVERIFY(db->scalar("SELECT screenshots FROM projects WHERE tovName='Касса (копия)'").isNull());
    }

    void aCopyKeepsEmptyDatesEmpty()
    {
        QVERIFY(dm->tblProject->locate("project_id", 2));
        dm->isCopy = true;
        dm->tblProject->append();
        QVERIFY(dm->tblProjectproject_end->isNull());
        QVERIFY(dm->tblProjectdatetime_update->isNull());
        QCOMPARE(dm->tblProjectproject_begin->asDate(), QDate(2011, 2, 1));
    }

    void aCopyOfALongNameIsCutAndAFullNameIsADuplicate()
    {
        const QString name95 = QString(95, QChar(u'я'));
        db->exec("UPDATE projects SET tovName = ? WHERE project_id = 4", {name95});
        dm->tblProject->refresh();
        QVERIFY(dm->tblProject->locate("project_id", 4));
        dm->isCopy = true;
        dm->tblProject->append();
        QCOMPARE(dm->tblProjecttovName->asString(), name95 + " (коп");
        dm->tblProject->cancel();

        const QString name100 = QString(100, QChar(u'ж'));
        db->exec("UPDATE projects SET tovName = ? WHERE project_id = 4", {name100});
        dm->tblProject->refresh();
        QVERIFY(dm->tblProject->locate("project_id", 4));
        dm->isCopy = true;
        dm->tblProject->append();
        QCOMPARE(dm->tblProjecttovName->asString(), name100);
        try {
            dm->tblProject->post();
            QFAIL("a duplicate name was stored");
        } catch (const DataError &e) {
            QVERIFY(e.isUniqueViolation());
        }
        QCOMPARE(dm->tblProject->state(), Dataset::State::Insert); // the row stays for correction
        dm->tblProject->cancel();
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM projects").toInt(), 4);
    }

    void aCopyOfAnEmptyListIsTheSuffixAlone()
    {
        dm->tblProject->setFilter("cat_id='3'");
        dm->tblProject->setFiltered(true);
        dm->isCopy = true;
        dm->tblProject->append();
        QCOMPARE(dm->tblProjecttovName->asString(), QString(" (копия)"));
        QCOMPARE(dm->tblProjectcat_id->asInteger(), 0);
        QVERIFY(!dm->tblProjectisExports->asBoolean());
        QCOMPARE(dm->tblProjectprice->asMoney().units(), 0LL);
    }

    void aNewSaleTakesTheProjectPriceToTheLastDecimal()
    {
        QVERIFY(dm->tblProject->locate("project_id", 4)); // price 1234.5678
        QCOMPARE(dm->tblOrders->recordCount(), 0);
        dm->tblOrders->append();
        QCOMPARE(dm->tblOrdersproject_id->asInteger(), 4);
        QCOMPARE(dm->tblOrderssumm->asMoney().units(), 12345678LL);
        QCOMPARE(dm->tblOrdersdate_orders->asString(), QString("09.12.2026"));
        dm->tblOrders->post();
        QCOMPARE(db->scalar("SELECT summ FROM orders WHERE project_id = 4").toLongLong(), 12345678LL);
        QCOMPARE(dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(),
                 15005000LL + 14000000 + 999900 + 12345678);
    }

    void salesFollowTheCurrentProject()
    {
        QVERIFY(dm->tblProject->locate("project_id", 1));
        QCOMPARE(dm->tblOrders->recordCount(), 2);
        QVERIFY(dm->tblProject->locate("project_id", 3));
        QCOMPARE(dm->tblOrders->recordCount(), 1);
        QCOMPARE(dm->tblOrderscomments->asString(), QString("Игра продана"));
        dm->tblProject->append();
        QCOMPARE(dm->tblOrders->recordCount(), 0);
        dm->tblProject->cancel();
        QCOMPARE(dm->tblOrders->recordCount(), 1);
    }

    void deletingAProjectTakesItsSalesAndUpdatesTotals()
    {
        QVERIFY(dm->tblProject->locate("project_id", 1));
        dm->deleteProjectWithOrders();
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM orders WHERE project_id = 1").toInt(), 0);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM projects").toInt(), 3);
        QCOMPARE(dm->tblProject->recordCount(), 3);
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 3);
        QCOMPARE(dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 999900LL);
    }

    void aFailedProjectDeleteKeepsItsSales()
    {
        db->refuse("projects", "DELETE");
        QVERIFY(dm->tblProject->locate("project_id", 1));
        QVERIFY_THROWS_EXCEPTION(DataError, dm->deleteProjectWithOrders());
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM orders WHERE project_id = 1").toInt(), 2);
        QCOMPARE(dm->tblProject->recordCount(), 4);
    }

    void lookupsAreCutToTwentyAndFollowRenames()
    {
        QVERIFY(dm->tblProject->locate("project_id", 1));
        QCOMPARE(dm->tblProjectstrYear->asString(), QString("2010"));
        QCOMPARE(dm->tblProjectstrIde->asString(), QString("Студия"));
        dm->tblCategory->first();
        dm->tblCategory->edit();
        dm->tblCategorycatName->setAsString(QString("Системы автоматизации учёта"));
        dm->tblCategory->post();
        QCOMPARE(dm->tblProjectstrCat->asString(), QString("Системы автоматизаци"));
        QVERIFY(dm->tblProject->locate("project_id", 3));
        QVERIFY(dm->tblProjectstrIde->asString().isEmpty()); // no IDE version
    }

    void ideListIsSortedOnlyAfterAPost()
    {
        QCOMPARE(names(dm->tblIde, dm->tblIdeide), QStringList({"Студия", "Редактор"}));
        dm->tblIde->append();
        dm->tblIdeide->setAsString("Анализатор");
        dm->tblIde->post();
        QCOMPARE(names(dm->tblIde, dm->tblIdeide), QStringList({"Анализатор", "Редактор", "Студия"}));
        QCOMPARE(dm->tblIde->sort(), QString("ide ASC"));
    }

    void textIsCutToTheColumnSize()
    {
        dm->tblYear->append();
        dm->tblYearname->setAsString("201234");
        QCOMPARE(dm->tblYearname->asString(), QString("2012"));
        dm->tblYear->post();
        QCOMPARE(db->scalar("SELECT name FROM years WHERE year_id = 3").toString(), QString("2012"));
    }

    void aValueThatDoesNotConvertLeavesTheRowPending()
    {
        QVERIFY(dm->tblProject->locate("project_id", 2));
        dm->tblProject->edit();
        QVERIFY_THROWS_EXCEPTION(DataError, dm->tblProjectproject_end->setAsString("31.02.2011"));
        QVERIFY(dm->tblProjectproject_end->isNull());
        QVERIFY_THROWS_EXCEPTION(DataError, dm->tblProjectprice->setAsString("12,3x"));
        dm->tblProjectproject_end->setAsString("  .  .    ");
        QVERIFY(dm->tblProjectproject_end->isNull());
        dm->tblProjectproject_end->setAsString("1.3.2012");
        QCOMPARE(dm->tblProjectproject_end->asDate(), QDate(2012, 3, 1));

        QObject editor;
        dm->tblProject->registerFlush(&editor, [] {
            throw DataError("'99.99.2012' is no date", DataError::Kind::Conversion);
        });
        QVERIFY_THROWS_EXCEPTION(DataError, dm->tblProject->post());
        QCOMPARE(dm->tblProject->state(), Dataset::State::Edit);
        QVERIFY(db->scalar("SELECT project_end FROM projects WHERE project_id = 2").isNull());
        dm->tblProject->cancel();
        QVERIFY(dm->tblProjectproject_end->isNull());
    }

    void anEditWritesOnlyWhatChangedAndKeepsThePicture()
    {
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 2", {QByteArray("BMold")});
        QVERIFY(dm->tblProject->locate("project_id", 2));
        dm->tblProject->edit();
        QVERIFY(!dm->tblProject->isModified());
        dm->tblProjectprice->setAsString("99,99");
        dm->tblProject->post();
        QCOMPARE(db->scalar("SELECT screenshots FROM projects WHERE project_id = 2").toByteArray(), QByteArray("BMold"));
        QCOMPARE(db->scalar("SELECT price FROM projects WHERE project_id = 2").toLongLong(), 999900LL);
        dm->tblProject->edit();
        dm->tblProjectscreenshots->setAsBytes(QByteArray("BMnew"));
        dm->tblProject->post();
        QCOMPARE(dm->tblProjectscreenshots->asBytes(), QByteArray("BMnew"));
        QCOMPARE(db->scalar("SELECT screenshots FROM projects WHERE project_id = 2").toByteArray(), QByteArray("BMnew"));
    }

    // Texts that a server quotes in a whole row's text (quotes, backslashes,
    // commas, brackets, spaces, line ends), an empty text beside a NULL,
    // and numbers plain and past 18 digits read back as they are stored.
    void everyValueReadsBackAsStored()
    {
        const QString name = QStringLiteral("a, \"b\" (c) \\d\\\\ \"\"");
        const QString description = QStringLiteral(" строка\nи\tещё\r\"\" ,) ");
        db->exec("UPDATE projects SET tovName = ?, description = ?, path_repository = ?, project_end = NULL,"
                 " price = ?, project_begin = ? WHERE project_id = 2",
                 {name, description, QString(""), -9223372036854775807LL, QStringLiteral("2012-02-29")});
        db->exec("UPDATE projects SET price = -1234, description = '\"' WHERE project_id = 3");
        db->exec("UPDATE projects SET path_repository = NULL WHERE project_id <> 2"); // the column's only text
        db->closeDm();
        dm = db->openDm();
        const auto value = [this](int id, const char *field) {
            return dm->tblProject->locate("project_id", id) ? dm->tblProject->fieldByName(field)->value() : QVariant();
        };
        QCOMPARE(value(2, "tovName"), QVariant(name));
        QCOMPARE(value(2, "description"), QVariant(description));
        QVERIFY(!value(2, "path_repository").toString().isNull());
        QCOMPARE(value(2, "path_repository"), QVariant(QString("")));
        QVERIFY(!value(2, "project_end").isValid());
        QCOMPARE(value(2, "price"), QVariant(-9223372036854775807LL));
        QCOMPARE(value(2, "project_begin"), QVariant(QDate(2012, 2, 29)));
        QCOMPARE(value(3, "price"), QVariant(-1234LL));
        QCOMPARE(value(3, "description"), QVariant(QStringLiteral("\"")));
        QCOMPARE(value(3, "project_id"), QVariant(3));
    }

    void aReadOnlyFileCanNotBeModified()
    {
        RUN_AS_NOBODY_WHEN_ROOT();
        db->closeDm();
        QFile::setPermissions(db->path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        if (QFileInfo(db->path()).isWritable())
            QSKIP("running as a user who can write any file");
        dm = db->openDm();
        QVERIFY(!dm->tblProject->canModify());
        QVERIFY_THROWS_EXCEPTION(DataError, dm->tblProject->append());
    }

    void queriesTakeTheirParameters()
    {
        dm->sqlProjectCat->close();
        dm->sqlProjectCat->params().set("cat_id", QString::number(1));
        dm->sqlProjectCat->open();
        QCOMPARE(dm->sqlProjectCat->recordCount(), 3);
        dm->sqlProjectRep->close();
        dm->sqlProjectRep->params().set("project_id", "3"); // no IDE version: still its row
        dm->sqlProjectRep->open();
        QCOMPARE(dm->sqlProjectRep->recordCount(), 1);
        QCOMPARE(dm->sqlProjectRep->fieldByName("tovName")->asString(), QString("Тетрис"));
        QVERIFY(dm->sqlProjectRep->fieldByName("ide")->isNull());
        QCOMPARE(dm->sqlProjectRep->fieldByName("catName")->asString(), QString("Игры"));
        dm->sqlProjectRep->close();
        dm->sqlProjectRep->params().set("project_id", "1");
        dm->sqlProjectRep->open();
        QCOMPARE(dm->sqlProjectRep->fieldByName("catName")->asString(), QString("Бухгалтерия"));
        QCOMPARE(dm->sqlProjectRep->fieldByName("datetimeupdate")->asString(), QString("15.01.2011"));
        dm->sqlOrdersRep->close();
        dm->sqlOrdersRep->params().set("project_id", "1");
        dm->sqlOrdersRep->open();
        QCOMPARE(names(dm->sqlOrdersRep, dm->sqlOrdersRep->fieldByName("date_orders")),
                 QStringList({"20.01.2011", "01.02.2011"}));
    }
    void aServerThatCanNotBeUsedSaysWhyInRussian()
    {
        const QUrl server(qEnvironmentVariable("PROJECTSALES_TEST_PG"));
        const QString socket = QUrlQuery(server).queryItemValue("host");
        const auto startError = [](const QString &location) {
            try {
                TDm module(location);
            } catch (const DataError &e) {
                return e.text();
            }
            return QString("opened");
        };
        QVERIFY(startError("postgresql://localhost:99999/x").startsWith("Неверный адрес базы данных"));
        QVERIFY(startError("postgresql://postgres@/postgres?nosuchoption=1&host=" + socket)
                    .startsWith("Неверный адрес базы данных"));
        QVERIFY(startError("postgresql://postgres@/postgres?host=" + db->dir() + "/nowhere")
                    .startsWith("Не удается связаться с сервером базы данных"));
        const QString refused = startError("postgresql://nosuchuser@/postgres?host=" + socket);
        QVERIFY2(refused.startsWith("Сервер базы данных отказал во входе пользователю \"nosuchuser\""),
                 qPrintable(refused));
        QVERIFY(refused.contains("\n")); // the server's own words follow
        const QString nul = startError("postgresql://post%00gres@/postgres?host=" + socket);
        QVERIFY2(nul.startsWith("Неверный адрес базы данных") && nul.contains("имени пользователя"), qPrintable(nul));
        QVERIFY(startError("postgresql://postgres@/nosuchdb?host=" + socket)
                    .startsWith("На сервере нет базы данных \"nosuchdb\""));
        QVERIFY(startError(db->emptyServerDatabase()).startsWith("В базе данных \"postgresql://"));
    }

    // A user the server lets only read the catalogue opens and reads it; a
    // change is refused in the program's words.
    void aUserWhoMayOnlyReadOpensTheCatalogue()
    {
        db->exec("DO $$ BEGIN CREATE ROLE ps_reader LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$");
        db->exec("GRANT SELECT ON ALL TABLES IN SCHEMA public TO ps_reader");
        QUrl url(db->path());
        url.setUserName("ps_reader");
        std::unique_ptr<TDm> opened;
        try {
            opened = std::make_unique<TDm>(url.toString());
        } catch (const DataError &e) {
            QFAIL(qPrintable(e.text()));
        }
        TDm &reader = *opened;
        QCOMPARE(reader.tblProject->recordCount(), dm->tblProject->recordCount());
        reader.tblProject->edit();
        reader.tblProjectprice->setAsString("1");
        try {
            reader.tblProject->post();
            QFAIL("a reader's change was stored");
        } catch (const DataError &e) {
            QCOMPARE(e.kind(), DataError::Kind::ReadOnly);
        }
    }

    // The server sends a large read's rows as they come: a failure after
    // the first of them is a failed read, not a shorter one.
    void aReadThatFailsMidwayIsRefusedWhole()
    {
        const auto readAll = [](QSqlQuery &q) {
            while (q.next()) {
            }
        };
        QVERIFY_THROWS_EXCEPTION(DataError, dm->ADOConnection->readKept(
                                                "SELECT 1 / (3 - g) FROM generate_series(1, 5) g", {}, readAll));
    }

    void aDroppedConnectionIsReportedAndTheNextActionReconnects()
    {
        QVERIFY(dm->tblProject->locate("project_id", 2));
        dm->tblProject->edit();
        dm->tblProjectprice->setAsString("5");
        // The server ends the program's session, as a restart or a network fault would.
        const auto endSessions = [this] {
            const QString others = "SELECT count(*) FROM pg_stat_activity"
                                   " WHERE datname = current_database() AND pid <> pg_backend_pid()";
            db->exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                     " WHERE datname = current_database() AND pid <> pg_backend_pid()");
            QTRY_COMPARE(db->scalar(others).toInt(), 0);
            QTest::qWait(100); // the driver sees its socket close
        };
        const auto postRefusal = [this] {
            try {
                dm->tblProject->post();
            } catch (const DataError &e) {
                return e.text();
            }
            return QString("posted");
        };
        endSessions();
        QString refused = postRefusal();
        QVERIFY2(refused.startsWith("Потеряна связь с сервером базы данных"), qPrintable(refused));
        QCOMPARE(dm->tblProject->state(), Dataset::State::Edit); // the typed value is still there

        // A reconnect refused meanwhile is no reason for a later loss.
        Database admin;
        admin.open(qEnvironmentVariable("PROJECTSALES_TEST_PG"));
        const QString catalogue = db->scalar("SELECT current_database()").toString();
        admin.runScript("ALTER DATABASE " + catalogue + " WITH ALLOW_CONNECTIONS false");
        refused = postRefusal();
        QVERIFY2(refused.contains("not currently accepting connections"), qPrintable(refused));
        admin.runScript("ALTER DATABASE " + catalogue + " WITH ALLOW_CONNECTIONS true");
        QCOMPARE(postRefusal(), QString("posted"));
        QCOMPARE(db->scalar("SELECT price FROM projects WHERE project_id = 2").toLongLong(), 50000LL);
        dm->tblProject->edit();
        dm->tblProjectprice->setAsString("6");
        endSessions();
        refused = postRefusal();
        QCOMPARE(refused.section('\n', 1), QString("Соединение с сервером разорвано."));
        QCOMPARE(postRefusal(), QString("posted"));
    }

    void notificationsReachTheSubscriberOnTheServerOnly()
    {
        QStringList got;
        const bool subscribed = dm->ADOConnection->subscribe("catalogue", [&got](const QString &p) { got << p; });
        QCOMPARE(subscribed, TestDb::onServer());
        if (!subscribed)
            return;
        db->exec("NOTIFY catalogue, 'projects'");
        QTRY_COMPARE(got, QStringList{"projects"});
    }
};

TESTDB_GUILESS_MAIN(TestDataModule)
#include "test_data_module.moc"
