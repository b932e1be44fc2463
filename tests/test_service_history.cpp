// The history window: the current project's changes with its sales' from
// the project's popup menu, the whole catalogue's from "Сервис" with its
// filters, newest first, following other writers' changes while open.
#include "data/core/Money.h"
#include "data/module/UnitDM.h"
#include "data/trail/Trail.h"
#include "data/trail/History.h"
#include "service/HistoryCommands.h"
#include "service/Unit_history.h"
#include "support/TestDb.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

class TestServiceHistory : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<TfrmHistory> window;

    QStringList shownRows() const
    {
        QStringList rows;
        const QAbstractItemModel *model = window->gridHistory->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList texts;
            for (int c = 1; c < model->columnCount(); ++c)
                texts << model->index(r, c).data().toString();
            rows << texts.join(QLatin1Char('/'));
        }
        return rows;
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDb>();
        db->fillSample();
        db->openDm();
        window = std::make_unique<TfrmHistory>();
        window->bindData();
        frmHistory = window.get();
    }
    void cleanup()
    {
        frmHistory = nullptr;
        window.reset();
        db.reset();
    }

    void aProjectsHistoryAndTheCataloguesFiltered()
    {
        const QString me = Trail::loginName();
        QVERIFY(Dm->tblProject->locate(QStringLiteral("project_id"), 1));
        Dm->tblProject->edit();
        Dm->tblProjectprice->setAsMoney(Money::fromRoubles(2000));
        Dm->tblProject->post();
        showProjectHistory();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("История изменений: проект «Касса»"));
        const QString sum = Money::fromUnits(15005000).toDisplayString();
        QCOMPARE(shownRows(), (QStringList{me + "/Проект, код 1/Изменение/Стоимость/" + sum + "/2000",
                                           "/Продажа 2/Добавление///" + Money::fromUnits(14000000).toDisplayString(),
                                           "/Продажа 1/Добавление///" + sum, "/Проект, код 1/Добавление///Касса"}));

        showHistory();
        QCOMPARE(window->windowTitle(), QStringLiteral("История изменений"));
        QCOMPARE(window->gridHistory->model()->rowCount(), 1 + 3 + 2 + 2 + 4 + 3);
        window->cmbTable->setCurrentIndex(window->cmbTable->findText(QStringLiteral("Категории")));
        QCOMPARE(window->gridHistory->model()->rowCount(), 3);
        window->editText->setText(QStringLiteral("ИГРЫ"));
        QTRY_COMPARE(shownRows(), QStringList{"/Категории, код 2/Добавление///Игры"});

        // Another program's change shows at once; its writer is unknown on the file.
        db->exec("UPDATE category SET catName = 'Игры и забавы' WHERE cat_id = 2");
        Dm->ADOConnection->pollChanges();
        QTRY_COMPARE(window->gridHistory->model()->rowCount(), 2);
        QCOMPARE(shownRows().first(), QStringLiteral("/Категории, код 2/Изменение/Категория/Игры/Игры и забавы"));
        QCOMPARE(window->lblInfo->text(), QStringLiteral("Изменений: 2."));
        window->cmbUser->showPopup(); // the users are read as the list opens
        window->cmbUser->hidePopup();
        window->cmbUser->setCurrentIndex(window->cmbUser->findText(me));
        QCOMPARE(window->gridHistory->model()->rowCount(), 0);
        QCOMPARE(window->lblInfo->text(), QStringLiteral("Изменений нет."));
    }

    // The newest page shows at once and older ones come as the list scrolls
    // down, each entry read once; another writer's entry then goes on top,
    // nothing read again, the selection and the rows in view kept.
    void olderEntriesComeByScrollingAndOthersOnTop()
    {
        window->setPageSize(4);
        showHistory();
        QCOMPARE(window->gridHistory->model()->rowCount(), 4);
        QCOMPARE(window->lblInfo->text(),
                 QStringLiteral("Прочитано изменений: 4; более ранние читаются при прокрутке вниз."));
        QAbstractItemModel *model = window->gridHistory->model();
        for (int i = 0; i < 10 && model->canFetchMore({}); ++i) {
            window->gridHistory->scrollToBottom();
            QCoreApplication::processEvents();
        }
        QVERIFY(!model->canFetchMore({}));
        QStringList whole;
        for (const History::Change &c : History::changes(*Dm->ADOConnection, {}))
            whole << QStringList{c.changedBy, c.what(), c.actionText(), c.fieldText(), c.shown(c.oldValue),
                                 c.shown(c.newValue)}
                         .join(QLatin1Char('/'));
        QCOMPARE(shownRows(), whole);
        QCOMPARE(window->rowsRead(), whole.size());
        QCOMPARE(window->lblInfo->text(), QStringLiteral("Изменений: %1.").arg(whole.size()));

        window->gridHistory->selectRow(1);
        db->exec("UPDATE category SET catName = 'Игры и забавы' WHERE cat_id = 2");
        Dm->ADOConnection->pollChanges();
        QTRY_COMPARE(model->rowCount(), whole.size() + 1);
        QCOMPARE(shownRows().first(), QStringLiteral("/Категории, код 2/Изменение/Категория/Игры/Игры и забавы"));
        QCOMPARE(shownRows().mid(1), whole);
        QCOMPARE(window->rowsRead(), whole.size() + 1);
        QCOMPARE(window->lblInfo->text(), QStringLiteral("Изменений: %1.").arg(whole.size() + 1));
        QCOMPARE(window->gridHistory->selectionModel()->selectedRows(), QModelIndexList{model->index(2, 0)});

        // Scrolled down, the rows in view stay there.
        window->resize(window->width(), 250);
        QCoreApplication::processEvents();
        window->gridHistory->scrollTo(model->index(5, 0), QAbstractItemView::PositionAtTop);
        QCOMPARE(window->gridHistory->rowAt(0), 5);
        db->exec("UPDATE category SET catName = 'Забавы' WHERE cat_id = 2");
        Dm->ADOConnection->pollChanges();
        QTRY_COMPARE(model->rowCount(), whole.size() + 2);
        QCOMPARE(window->gridHistory->rowAt(0), 6);
    }
};

QTEST_MAIN(TestServiceHistory)
#include "test_service_history.moc"
