// The bin window: what a delete put there, newest first with when and who;
// restoring brings the rows back into the lists and totals at once; erasing
// asks first.
#include "data/module/UnitDM.h"
#include "data/trail/Trail.h"
#include "service/Unit_bin.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

class TestServiceBin : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> rec;
    std::unique_ptr<TfrmBin> window;

    QStringList shownRows() const
    {
        QStringList rows;
        const QAbstractItemModel *grid = window->gridBin->model();
        for (int r = 0; r < grid->rowCount(); ++r)
            rows << grid->index(r, 0).data().toString() + QLatin1Char('/') + grid->index(r, 2).data().toString();
        return rows;
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDb>();
        db->fillSample();
        rec = std::make_unique<RecordingSeams>();
        db->openDm();
        window = std::make_unique<TfrmBin>();
        window->bindData();
    }
    void cleanup()
    {
        window.reset();
        rec.reset();
        db.reset();
    }

    void restoringAndErasingThroughTheWindow()
    {
        QVERIFY(Dm->tblProject->locate(QStringLiteral("project_id"), 1));
        Dm->deleteProjectWithOrders();
        db->exec("DELETE FROM category WHERE cat_id = 3"); // by another program: no user
        window->show();
        QCOMPARE(shownRows(), (QStringList{"Категория «Пустая»/", "Проект «Касса» с 2 продажами/" + Trail::loginName()}));
        QVERIFY(window->btnRestore->isEnabled());

        window->gridBin->selectRow(1);
        window->btnRestore->click();
        QCOMPARE(shownRows(), QStringList{"Категория «Пустая»/"});
        QVERIFY(Dm->tblProject->locate(QStringLiteral("project_id"), 1));
        QCOMPARE(Dm->tblOrders->recordCount(), 2);
        QCOMPARE(Dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 4);
        QCOMPARE(Dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 15005000 + 14000000 + 999900);

        rec->answers.enqueue(false);
        window->gridBin->selectRow(0);
        window->btnErase->click();
        QCOMPARE(shownRows().size(), 1);
        rec->answers.enqueue(true);
        window->btnClear->click();
        QCOMPARE(rec->questions.size(), 2);
        QCOMPARE(rec->questions[1].text, QStringLiteral("Очистить корзину? Всё, что в ней, будет удалено навсегда."));
        QVERIFY(shownRows().isEmpty());
        QCOMPARE(window->lblInfo->text(), QStringLiteral("Корзина пуста."));
        QVERIFY(!window->btnClear->isEnabled());
    }

    // A restore that needs more asks through the window; refused, it says why
    // and the entry stays.
    void aRestoreThatNeedsMoreAsksFirst()
    {
        db->exec("DELETE FROM orders WHERE order_id = 3");
        db->exec("DELETE FROM projects WHERE project_id = 3");
        window->show();
        window->gridBin->selectRow(1);
        rec->answers.enqueue(false);
        window->btnRestore->click();
        QCOMPARE(rec->questions.size(), 1);
        QCOMPARE(rec->questions[0].caption, QStringLiteral("Корзина"));
        QCOMPARE(rec->errors, QStringList{"Проект «Тетрис» этой продажи удалён: сначала восстановите проект."});
        QCOMPARE(shownRows().size(), 2);

        window->gridBin->selectRow(1);
        rec->answers.enqueue(true);
        window->btnRestore->click();
        QVERIFY(shownRows().isEmpty());
        QCOMPARE(Dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 4);
        QCOMPARE(Dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 15005000 + 14000000 + 999900);
    }
};

QTEST_MAIN(TestServiceBin)
#include "test_service_bin.moc"
