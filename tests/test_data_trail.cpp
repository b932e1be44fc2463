// The recycle bin and the history on both engines: what a delete puts in
// the bin and every change in the history (by the program or any other
// writer), restoring with the same keys and totals, erasing, the purge after
// 90 days, an older catalogue upgraded and a read-only one.
#include "data/core/Clock.h"
#include "data/core/DataError.h"
#include "data/core/Money.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/module/UnitDM.h"
#include "data/trail/History.h"
#include "data/trail/HistoryReader.h"
#include "data/trail/RecycleBin.h"
#include "data/trail/Trail.h"
#include "support/TestDb.h"

#include <QFile>
#include <QSqlQuery>
#include <QtTest>

namespace {

// Every row of a table, every value, in key order.
QStringList rowsOf(const Database &db, const QString &table)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(table));
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << (q.value(i).isNull() ? QStringLiteral("NULL") : QString::fromLatin1(q.value(i).toByteArray().toHex()));
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

QStringList catalogue(const Database &db)
{
    QStringList all;
    for (const char *table : {"category", "years", "ide", "projects", "orders", "sales_month"})
        all << QLatin1String(table) << rowsOf(db, QLatin1String(table));
    return all;
}

// Who the catalogue records for the program's writes.
QString programUser(const TestDb &db)
{
    return TestDb::onServer() ? db.scalar("SELECT current_user").toString() : Trail::loginName();
}

QStringList described(const QList<RecycleBin::Entry> &entries)
{
    QStringList out;
    for (const RecycleBin::Entry &e : entries)
        out << e.what() + QLatin1Char('/') + e.deletedBy;
    return out;
}

QStringList described(const QList<History::Change> &changes)
{
    QStringList out;
    for (const History::Change &c : changes)
        out << QStringList{c.what(), c.actionText(), c.fieldText(), c.shown(c.oldValue), c.shown(c.newValue),
                           c.changedBy}
                   .join(QLatin1Char('/'));
    return out;
}

QList<qint64> keysOf(const QList<History::Change> &changes)
{
    QList<qint64> keys;
    for (const History::Change &c : changes)
        keys << c.id;
    return keys;
}

// Drops the history's triggers alone, as a catalogue of the week before has it.
void dropHistoryTriggers(const TestDb &db)
{
    if (!TestDb::onServer()) { // a trigger for each field of some tables
        const QString names = db.scalar("SELECT group_concat(name, ' ') FROM sqlite_master"
                                        " WHERE type = 'trigger' AND instr(name, '_trail_history') > 0")
                                  .toString();
        for (const QString &name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            db.exec(QStringLiteral("DROP TRIGGER %1").arg(name));
        return;
    }
    for (const char *table : {"projects", "orders", "category", "years", "ide"})
        for (const char *op : {"", "_insert", "_update", "_delete"})
            db.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1_trail_history%2 ON %1").arg(table, op));
}

} // namespace

class TestDataTrail : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("fileOnly", "aReadOnlyCatalogueWorksWithoutTheBin")
    std::unique_ptr<TestDb> db;

    Database &conn() { return *Dm->ADOConnection; }

private slots:
    void init()
    {
        TESTDB_REQUIRE_ENGINE();
        db = std::make_unique<TestDb>();
        db->fillSample();
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 1", {QByteArray("\x89PNG\0\x01\x02", 7)});
        db->exec("DELETE FROM trail_history"); // what was arranged
        db->openDm();
    }
    void cleanup()
    {
        Clock::reset();
        db.reset();
    }

    void aDeletedProjectComesBackWithItsSalesKeysAndTotals()
    {
        const QStringList before = catalogue(conn());
        QVERIFY(Dm->tblProject->locate(QStringLiteral("project_id"), 1));
        Dm->deleteProjectWithOrders();
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM orders WHERE project_id = 1").toInt(), 0);
        QCOMPARE(Dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 999900);

        const QList<RecycleBin::Entry> bin = RecycleBin::entries(conn());
        QCOMPARE(described(bin), QStringList{"Проект «Касса» с 2 продажами/" + programUser(*db)});
        QCOMPARE(bin[0].when().date(), QDate::currentDate());

        QCOMPARE(RecycleBin::restore(conn(), {bin[0].id}), (QStringList{"projects", "orders", "trail_bin"}));
        QCOMPARE(catalogue(conn()), before);
        QVERIFY(RecycleBin::entries(conn()).isEmpty());
        Dm->tablesWritten({"projects", "orders"});
        QVERIFY(Dm->tblProject->locate(QStringLiteral("project_id"), 1));
        QCOMPARE(Dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 4);
        QCOMPARE(Dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 15005000 + 14000000 + 999900);
    }

    // A plain SQL client's delete goes to the bin too; on the file it can't
    // say who it is, on the server its role is recorded. A sale whose project
    // is in the bin does not come back alone, and nothing of it is restored.
    void anyWritersDeletesGoToTheBinNewestFirst()
    {
        db->exec("DELETE FROM category WHERE cat_id = 3");
        db->exec("DELETE FROM orders WHERE order_id = 3");
        db->exec("DELETE FROM projects WHERE project_id = 3");
        const QString other = TestDb::onServer() ? programUser(*db) : QString();
        const QList<RecycleBin::Entry> bin = RecycleBin::entries(conn());
        QCOMPARE(described(bin), (QStringList{"Проект «Тетрис»/" + other, "Продажа проекта «Тетрис»/" + other,
                                              "Категория «Пустая»/" + other}));
        const QStringList before = catalogue(conn());
        try {
            RecycleBin::restore(conn(), {bin[1].id});
            QFAIL("a sale came back without its project");
        } catch (const DataError &e) {
            QCOMPARE(e.text(), QStringLiteral("Проект «Тетрис» этой продажи удалён: сначала восстановите проект."));
        }
        QCOMPARE(catalogue(conn()), before);

        RecycleBin::restore(conn(), {bin[0].id, bin[1].id, bin[2].id});
        QCOMPARE(db->scalar("SELECT catName FROM category WHERE cat_id = 3").toString(), QStringLiteral("Пустая"));
        QCOMPARE(db->scalar("SELECT project_id FROM orders WHERE order_id = 3").toInt(), 3);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM sales_month WHERE cat_id = 2").toInt(), 1);

        db->exec("DELETE FROM ide WHERE version_id = 2");
        db->exec("DELETE FROM years WHERE year_id = 2");
        RecycleBin::erase(conn(), {RecycleBin::entries(conn())[0].id});
        QCOMPARE(described(RecycleBin::entries(conn())), QStringList{"Версия IDE «Редактор»/" + other});
        RecycleBin::clear(conn());
        QVERIFY(RecycleBin::entries(conn()).isEmpty());
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM trail_bin_orders").toInt(), 0);
    }

    // Every insert, change of a field, delete and restore, with its user:
    // the program's and a plain SQL client's alike, newest first; a
    // project's history holds its sales'; the filters.
    void theHistoryRecordsEveryChangeWithItsUser()
    {
        const QString me = programUser(*db);
        const QString other = TestDb::onServer() ? me : QString();
        QVERIFY(Dm->tblProject->locate(QStringLiteral("project_id"), 1));
        Dm->tblProject->edit();
        Dm->tblProjectprice->setAsMoney(Money::fromUnits(20000));
        Dm->tblProjectscreenshots->setAsBytes(QByteArray(10, 'p'));
        Dm->tblProject->post();
        db->exec("UPDATE orders SET comments = 'Вторая' WHERE order_id = 2");
        Dm->tablesWritten({"orders"});
        QVERIFY(Dm->tblOrders->locate(QStringLiteral("order_id"), 1));
        Dm->tblOrders->remove();
        RecycleBin::restore(conn(), {RecycleBin::entries(conn())[0].id});
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (1, '2012-05-04', 10000)");

        History::Filter project;
        project.projectId = 1;
        const QString sum = Money::fromUnits(15005000).toDisplayString();
        QCOMPARE(described(History::changes(conn(), project)),
                 (QStringList{"Продажа 4/Добавление///1/" + other,
                              "Продажа 1/Восстановление///" + sum + "/" + me,
                              "Продажа 1/Удаление//" + sum + "//" + me,
                              "Продажа 2/Изменение/Комментарий//Вторая/" + other,
                              "Проект, код 1/Изменение/Картинка/7 байт/10 байт/" + me,
                              "Проект, код 1/Изменение/Стоимость/" + sum + "/2/" + me}));

        db->exec("UPDATE category SET catName = 'Сеть' WHERE cat_id = 3");
        db->exec("DELETE FROM years WHERE year_id = 2");
        History::Filter all;
        const QList<History::Change> everything = History::changes(conn(), all);
        QCOMPARE(everything.size(), 8);
        QCOMPARE(described(everything.mid(0, 3)),
                 (QStringList{"Годы разработки, код 2/Удаление//2011//" + other,
                              "Категории, код 3/Изменение/Категория/Пустая/Сеть/" + other,
                              "Продажа 4 проекта «Касса»/Добавление///1/" + other}));
        all.text = QStringLiteral("сеть");
        QCOMPARE(History::changes(conn(), all).size(), 1);
        all.text = QStringLiteral("касс");
        QCOMPARE(History::changes(conn(), all).size(), 6);
        all.text.clear();
        all.table = QStringLiteral("projects");
        QCOMPARE(History::changes(conn(), all).size(), 2);
        all.user = QStringLiteral("никто");
        QVERIFY(History::changes(conn(), all).isEmpty());
        all = {};
        all.from = all.to = QDate::currentDate();
        QCOMPARE(History::changes(conn(), all).size(), 8);
        all.from = all.to = QDate::currentDate().addDays(1);
        QVERIFY(History::changes(conn(), all).isEmpty());
        if (!me.isEmpty()) {
            QVERIFY(History::users(conn()).contains(me));
            QVERIFY(History::users(conn(), 1).contains(me));
        }
        QVERIFY(History::users(conn(), 2).isEmpty());
    }

    // The window's reading: pages by keys give every entry once, newest
    // first, the text matched in the program; then only what other writers
    // committed since, with the projects renamed, on a server also a
    // transaction that commits after a later one.
    void theHistoryIsReadByPagesThenOnlyWhatIsNew()
    {
        for (int i = 0; i < 4; ++i)
            db->exec(QStringLiteral("UPDATE category SET catName = 'Сеть %1' WHERE cat_id = 3").arg(i));
        db->exec("UPDATE projects SET price = price + 1 WHERE project_id IN (1, 2)");
        History::Filter text, today;
        text.text = QStringLiteral("СЕТЬ");
        today.from = today.to = QDate::currentDate();
        for (const History::Filter &filter : {History::Filter{}, text, today}) {
            const QList<History::Change> whole = History::changes(conn(), filter);
            History::Reader reader(conn(), filter, 3);
            QList<qint64> keys;
            while (!reader.atEnd())
                keys << keysOf(reader.older());
            QCOMPARE(keys, keysOf(whole));
            QCOMPARE(reader.rowsRead(), 6);
        }
        History::Reader reader(conn(), today, 4);
        while (!reader.atEnd())
            reader.older();
        db->exec("UPDATE category SET catName = 'Забавы' WHERE cat_id = 2");
        db->exec("UPDATE projects SET tovName = 'Касса 2' WHERE project_id = 1");
        History::Reader::News news = reader.newer();
        QCOMPARE(keysOf(news.changes), keysOf(History::changes(conn(), {}).mid(0, 2)));
        QCOMPARE(news.changes.first().what(), QStringLiteral("Проект «Касса 2»"));
        QCOMPARE(news.names, (QHash<qint64, QString>{{1, QStringLiteral("Касса 2")}}));
        QVERIFY(!news.reread);
        QCOMPARE(reader.rowsRead(), 6 + 2);
        QVERIFY(reader.newer().changes.isEmpty());
        if (!TestDb::onServer())
            return;
        Database late(QStringLiteral("late"));
        late.open(db->path());
        QVERIFY(late.connection().transaction());
        late.exec(QStringLiteral("UPDATE category SET \"catName\" = 'Поздно' WHERE cat_id = 1"));
        db->exec("UPDATE category SET catName = 'Рано' WHERE cat_id = 3");
        news = reader.newer();
        QCOMPARE(news.changes.size(), 1);
        QCOMPARE(news.changes.first().newValue, QStringLiteral("Рано"));
        QVERIFY(late.connection().commit());
        news = reader.newer();
        QCOMPARE(news.changes.size(), 1);
        QCOMPARE(news.changes.first().newValue, QStringLiteral("Поздно"));
        QVERIFY(news.changes.first().id < History::changes(conn(), {}).first().id);
        QVERIFY(reader.newer().changes.isEmpty());
    }

    // A catalogue of the week before has the bin but not the history's
    // triggers: it gets them on its first open for writing, its bin kept.
    void aCatalogueWithTheBinGetsTheHistory()
    {
        db->exec("DELETE FROM category WHERE cat_id = 3");
        db->closeDm();
        dropHistoryTriggers(*db);
        if (!TestDb::onServer()) // an earlier build's one trigger for all fields: replaced, never run beside them
            db->exec("CREATE TRIGGER projects_trail_history_update AFTER UPDATE ON projects BEGIN"
                     " INSERT INTO trail_history (changed_at, tbl, row_key, action) VALUES ('', 'projects', 0, 'update');"
                     " END");
        db->exec("DELETE FROM ide WHERE version_id = 2"); // before the history: in the bin, not in the history
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM trail_history").toInt(), 1);
        db->openDm();
        QVERIFY(Trail::present(conn()));
        QCOMPARE(RecycleBin::entries(conn()).size(), 2);
        db->exec("UPDATE projects SET price = 1 WHERE project_id = 2");
        QCOMPARE(db->scalar("SELECT field FROM trail_history ORDER BY change_id DESC").toString(), QStringLiteral("price"));
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM trail_history WHERE tbl = 'projects'").toInt(), 1);
    }

    // A name taken meanwhile: refused without a question, whole; after one,
    // the project comes back under the name marked, cut to the field's length.
    void aTakenNameComesBackMarkedAfterAQuestion()
    {
        const QString name(95, QChar(0x0422));
        db->exec("UPDATE projects SET tovName = ? WHERE project_id = 3", {name});
        Dm->tablesWritten({"projects"});
        QVERIFY(Dm->tblProject->locate(QStringLiteral("project_id"), 3));
        Dm->deleteProjectWithOrders();
        db->exec("INSERT INTO projects (cat_id, year_id, tovName, price, isExports, isExportsDesc) VALUES (2, 2, ?, 1, 0, 0)",
                 {name});
        const qint64 id = RecycleBin::entries(conn())[0].id;
        const QStringList before = catalogue(conn());
        QStringList asked;
        const auto answer = [&asked](bool yes) {
            return [&asked, yes](const QString &q) { asked << q; return yes; };
        };
        for (bool yes : {false, true}) {
            try {
                RecycleBin::restore(conn(), {id}, answer(yes));
                QVERIFY(yes);
            } catch (const DataError &e) {
                QVERIFY(!yes);
                QCOMPARE(e.text(), "Не восстановлено: название «" + name + "» уже занято.");
                QCOMPARE(catalogue(conn()), before);
                QCOMPARE(RecycleBin::entries(conn()).size(), 1);
            }
        }
        const QString renamed = name.left(85) + " (восстановлен)";
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[1], "Название «" + name + "» уже занято. Восстановить под названием «" + renamed + "»?");
        QCOMPARE(db->scalar("SELECT tovName FROM projects WHERE project_id = 3").toString(), renamed);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM orders WHERE project_id = 3").toInt(), 1);
        QVERIFY(RecycleBin::entries(conn()).isEmpty());
    }

    // What a restored row refers to and is in the bin comes back with it after
    // a question (a project's category, a sale's project), or nothing does.
    void whatARestoreNeedsComesBackWithItAfterAQuestion()
    {
        db->exec("DELETE FROM orders WHERE order_id = 3");
        db->exec("DELETE FROM projects WHERE project_id = 3");
        db->exec("DELETE FROM category WHERE cat_id = 2");
        const QList<RecycleBin::Entry> bin = RecycleBin::entries(conn());
        const QStringList before = catalogue(conn());
        QStringList asked;
        try {
            RecycleBin::restore(conn(), {bin[2].id}, [&](const QString &q) {
                asked << q;
                return asked.size() == 1; // the project yes, its category no
            });
            QFAIL("the project came back without its category");
        } catch (const DataError &e) {
            QCOMPARE(e.text(), QStringLiteral("Проект «Тетрис» не восстановлен: его категория «Игры» в корзине."));
        }
        QCOMPARE(asked, (QStringList{"Проект «Тетрис» этой продажи в корзине. Восстановить его вместе с продажей?",
                                     "Категория «Игры» проекта «Тетрис» в корзине. Восстановить вместе с проектом?"}));
        QCOMPARE(catalogue(conn()), before);
        QCOMPARE(RecycleBin::entries(conn()).size(), 3);

        const QStringList tables = RecycleBin::restore(conn(), {bin[2].id}, [](const QString &) { return true; });
        QVERIFY(RecycleBin::entries(conn()).isEmpty());
        Dm->tablesWritten(tables);
        QVERIFY(Dm->tblCategory->locate(QStringLiteral("cat_id"), 2));
        QVERIFY(Dm->tblProject->locate(QStringLiteral("project_id"), 3));
        QCOMPARE(Dm->tblProject->fieldByName("strCat")->asString(), QStringLiteral("Игры"));
        QCOMPARE(Dm->tblOrders->recordCount(), 1);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM sales_month WHERE cat_id = 2").toInt(), 1);
        QCOMPARE(Dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 15005000 + 14000000 + 999900);
    }

    void theBinIsPurgedAfterNinetyDaysAtStart()
    {
        db->exec("DELETE FROM category WHERE cat_id = 3");
        db->closeDm();
        Clock::set(QDateTime::currentDateTime().addDays(89));
        db->openDm();
        QCOMPARE(RecycleBin::entries(conn()).size(), 1);
        db->closeDm();
        Clock::set(QDateTime::currentDateTime().addDays(91));
        db->openDm();
        QVERIFY(RecycleBin::entries(conn()).isEmpty());
    }

    // An earlier version's catalogue gets the bin on its first open for
    // writing; a later open finds it as it is and keeps what it holds.
    void anOlderCatalogueGetsTheBinOnce()
    {
        db->closeDm();
        {
            Database plain;
            plain.open(db->path());
            QStringList drops;
            for (const QString &drop : plain.engine().dropStatements(plain, QStringLiteral("trail_")))
                drops << drop;
            plain.runScript(drops.join(QStringLiteral(";\n")));
            QVERIFY(!plain.engine().hasTable(plain, QStringLiteral("trail_bin")));
        }
        db->exec("DELETE FROM orders WHERE order_id = 3"); // before the bin: gone for good
        db->openDm();
        QVERIFY(Dm->hasTrail());
        QVERIFY(Trail::present(conn()));
        QVERIFY(RecycleBin::entries(conn()).isEmpty());
        db->exec("DELETE FROM category WHERE cat_id = 3");
        db->closeDm();
        db->openDm();
        QCOMPARE(RecycleBin::entries(conn()).size(), 1);
    }

    void aReadOnlyCatalogueWorksWithoutTheBin()
    {
        RUN_AS_NOBODY_WHEN_ROOT();
        db->closeDm();
        {
            Database plain;
            plain.open(db->path());
            plain.runScript(plain.engine().dropStatements(plain, QStringLiteral("trail_")).join(QStringLiteral(";\n")));
        }
        QFile::setPermissions(db->path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        if (QFileInfo(db->path()).isWritable())
            QSKIP("running as a user who can write any file");
        db->openDm();
        QVERIFY(!Dm->hasTrail());
        QCOMPARE(Dm->tblProject->recordCount(), 4);
        QVERIFY(!conn().engine().hasTable(conn(), QStringLiteral("trail_bin")));
    }
};

TESTDB_GUILESS_MAIN(TestDataTrail)
#include "test_data_trail.moc"
