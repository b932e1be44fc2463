// The grid over a dataset: striping, selection following the current row,
// row indicator, column widths.
#include "app/DBGrid.h"
#include "app/DatasetModel.h"
#include "app/Unit_class.h"
#include "data/module/UnitDM.h"
#include "support/TestDb.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QtTest>

namespace {

const QColor Grey(240, 240, 240);
const QColor Blue(53, 150, 255);

// The background of a row, sampled at the right end of its first cell where no text is.
QColor rowBackground(DBGrid &grid, int row)
{
    const QImage image = grid.viewport()->grab().toImage();
    const QRect cell = grid.visualRect(grid.model()->index(row, 0));
    return image.pixelColor(cell.right() - 6, cell.center().y());
}

QStringList rowBackgrounds(DBGrid &grid)
{
    QStringList out;
    for (int r = 0; r < grid.model()->rowCount(); ++r) {
        const QColor c = rowBackground(grid, r);
        out << (c == Grey ? "grey" : c == Blue ? "blue" : c == grid.palette().color(QPalette::Base) ? "white" : c.name());
    }
    return out;
}

} // namespace

class TestAppGrid : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    TDm *dm = nullptr;
    std::unique_ptr<DBGrid> grid;

    void showCategories(bool striped)
    {
        grid = std::make_unique<DBGrid>();
        grid->setColumns({{"catName", "Категория", Qt::AlignLeft, 193}});
        grid->setDataSource(dm->DsCategory);
        grid->setStriped(striped);
        grid->resize(300, 200);
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    }

    // 202 years in a grid that shows a few of them.
    void showManyYears()
    {
        for (int i = 0; i < 200; ++i)
            db->exec("INSERT INTO years (name) VALUES (?)", {QString::number(2100 + i)});
        dm->tblYear->refresh();
        grid = std::make_unique<DBGrid>();
        grid->setColumns({{"name", "Год", Qt::AlignCenter, 60}});
        grid->setDataSource(dm->DsType);
        grid->resize(200, 200);
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
    }

    void clickRow(int row)
    {
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDb>();
        db->fillSample();
        dm = db->openDm();
    }
    void cleanup()
    {
        grid.reset();
        db.reset();
    }

    void oddRowsGreyCurrentRowBlue()
    {
        showCategories(true);
        dm->tblCategory->setRecNo(2);
        QCOMPARE(rowBackgrounds(*grid), QStringList({"grey", "blue", "grey"}));
        dm->tblCategory->setRecNo(1);
        QCOMPARE(rowBackgrounds(*grid), QStringList({"blue", "white", "grey"}));
    }

    void stripesFollowPositionsAfterSortAndFilter()
    {
        showCategories(true);
        dm->tblCategory->setRecNo(1); // "Бухгалтерия"
        dm->tblCategory->setSort("catName DESC");
        QCOMPARE(dm->tblCategory->recNo(), 3);
        QCOMPARE(rowBackgrounds(*grid), QStringList({"grey", "white", "blue"}));

        dm->tblCategory->setFilter("catName <> 'Игры'");
        dm->tblCategory->setFiltered(true);
        QCOMPARE(grid->model()->rowCount(), 2);
        const int current = dm->tblCategory->recNo();
        QStringList expected{"grey", "white"};
        expected[current - 1] = "blue";
        QCOMPARE(rowBackgrounds(*grid), expected);
    }

    void unstripedGridPaintsTheDefaultWay()
    {
        showCategories(false);
        dm->tblCategory->setRecNo(3);
        QVERIFY(rowBackground(*grid, 0) != Grey);
        QVERIFY(rowBackground(*grid, 2) != Grey);
    }

    void selectedCellTextIsWhiteAndAligned()
    {
        QStandardItemModel model(1, 1);
        model.setData(model.index(0, 0), "ЖЖЖ");
        model.setData(model.index(0, 0), int(Qt::AlignRight | Qt::AlignVCenter), Qt::TextAlignmentRole);
        QImage image(200, 40, QImage::Format_RGB32);
        image.fill(Qt::black);
        QStyleOptionViewItem option;
        option.rect = image.rect();
        option.font.setPixelSize(24);
        option.state = QStyle::State_Selected | QStyle::State_Enabled;
        {
            QPainter painter(&image);
            gridDrawStriped(&painter, option, model.index(0, 0), 2);
        }
        int white = 0, blue = 0;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y) {
                const QColor c = image.pixelColor(x, y);
                white += c == Qt::white;
                blue += c == Blue;
                QVERIFY2(c != Qt::black, "the whole cell is filled");
            }
        QVERIFY(white > 20);
        QVERIFY(blue > white);
        // Right-aligned with a 2 pixel margin: the text ends close to the right edge,
        // and nothing is written in the left half.
        bool leftHalfPlain = true, nearRight = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < 100; ++x)
                leftHalfPlain &= image.pixelColor(x, y) == Blue;
            for (int x = 185; x < 198; ++x)
                nearRight |= image.pixelColor(x, y) != Blue;
            QCOMPARE(image.pixelColor(199, y), Blue);
        }
        QVERIFY(leftHalfPlain);
        QVERIFY(nearRight);
    }

    void selectionFollowsTheDatasetBothWays()
    {
        showCategories(true);
        QSignalSpy clicks(grid.get(), &DBGrid::cellClick);
        QSignalSpy scrolls(dm->tblCategory, &Dataset::afterScroll);

        clickRow(2);
        QCOMPARE(dm->tblCategory->recNo(), 3);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(scrolls.size(), 1); // no echo from the grid back into the dataset
        clickRow(2);
        QCOMPARE(clicks.size(), 2); // a click on the current row counts too
        QCOMPARE(scrolls.size(), 1);

        dm->tblCategory->first();
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(grid->selectionModel()->selectedRows().first().row(), 0);

        dm->tblCategory->setSort("catName DESC");
        QCOMPARE(grid->currentIndex().row(), dm->tblCategory->recNo() - 1);

        QSignalSpy doubles(grid.get(), &DBGrid::dblClick);
        const QRect cell = grid->visualRect(grid->model()->index(1, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center()); // a double click's first press
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(doubles.size(), 1);
        QCOMPARE(dm->tblCategory->recNo(), 2);
    }

    // A click on a wide column, as the project grid's name, leaves the first
    // columns in view, also once the view's delayed scroll to the click ran.
    void aClickNeverScrollsSideways()
    {
        grid = std::make_unique<DBGrid>();
        grid->setColumns({{"project_id", "Код проекта", Qt::AlignCenter, 69},
                          {"tovName", "Наименование", Qt::AlignLeft, 1065}});
        grid->setDataSource(dm->DsTovar);
        grid->resize(400, 200);
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
        const QRect name = grid->visualRect(grid->model()->index(2, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(300, name.center().y()));
        QTest::qWait(QApplication::doubleClickInterval() + 200);
        QCOMPARE(dm->tblProject->recNo(), 3);
        QCOMPARE(grid->horizontalScrollBar()->value(), 0);
    }

    void scrollingALongDatasetBringsTheRowIntoView()
    {
        showManyYears();
        dm->tblYear->last();
        const int last = grid->model()->rowCount() - 1;
        QCOMPARE(grid->currentIndex().row(), last);
        QVERIFY(grid->viewport()->rect().intersects(grid->visualRect(grid->model()->index(last, 0))));
    }

    void anotherUsersChangeKeepsTheScrollAndTheSelection()
    {
        showManyYears();
        dm->tblYear->setRecNo(101);
        const int scrolled = grid->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);

        db->exec("UPDATE years SET name = '1999' WHERE name = '2248'");
        db->exec("INSERT INTO years (name) VALUES ('2999')");
        dm->checkForChanges();
        QCOMPARE(grid->model()->rowCount(), 203);
        QCOMPARE(grid->model()->index(150, 0).data().toString(), QString("1999"));
        QCOMPARE(grid->verticalScrollBar()->value(), scrolled);
        QCOMPARE(grid->currentIndex().row(), 100);
        QCOMPARE(grid->selectionModel()->selectedRows().value(0).row(), 100);

        // Scrolled away from the current row, the view stays where the user left it.
        grid->verticalScrollBar()->setValue(0);
        db->exec("UPDATE years SET name = '1998' WHERE name = '2999'");
        dm->checkForChanges();
        QCOMPARE(grid->verticalScrollBar()->value(), 0);
        QCOMPARE(grid->currentIndex().row(), 100);
    }

    void rowIndicatorMarksTheCurrentRow()
    {
        showCategories(true);
        QAbstractItemModel *model = grid->model();
        dm->tblCategory->setRecNo(2);
        QCOMPARE(model->headerData(1, Qt::Vertical).toString(), QString("▶"));
        QVERIFY(model->headerData(0, Qt::Vertical).toString().isEmpty());
        dm->tblCategory->append(); // a new row is not in the list yet: no row is marked
        for (int r = 0; r < model->rowCount(); ++r)
            QVERIFY(model->headerData(r, Qt::Vertical).toString().isEmpty());
        dm->tblCategory->cancel();
        QCOMPARE(model->headerData(1, Qt::Vertical).toString(), QString("▶"));
        QVERIFY(grid->verticalHeader()->width() < 20);

        // A move repaints the rows it leaves and reaches, not the whole grid
        // and its indicators: on a switch of category that was most of the time.
        struct Painted : QObject {
            QRegion region;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    region += static_cast<QPaintEvent *>(e)->region();
                return false;
            }
        } rows, marks, titles;
        QApplication::processEvents(); // what the append and cancel left to lay out
        grid->viewport()->installEventFilter(&rows);
        grid->verticalHeader()->viewport()->installEventFilter(&marks);
        dm->tblCategory->setRecNo(3);
        QCOMPARE(model->headerData(2, Qt::Vertical).toString(), QString("▶"));
        grid->repaint();
        const int rowHeight = grid->rowHeight(0);
        const QRect moved(0, grid->rowViewportPosition(1), grid->viewport()->width(), 2 * rowHeight);
        QVERIFY(moved.height() < grid->viewport()->height() / 2);
        QVERIFY(!rows.region.isEmpty() && moved.contains(rows.region.boundingRect()));
        QVERIFY(!marks.region.isEmpty() && marks.region.boundingRect().height() <= 2 * rowHeight);

        // Other columns are titled anew; other rows leave the titles as they
        // are but for the current column's.
        grid->setColumns({{"cat_id", "Код", Qt::AlignLeft, 40}, {"catName", "Категория", Qt::AlignLeft, 150}});
        QCOMPARE(grid->horizontalHeader()->count(), 2);
        QCOMPARE(grid->horizontalHeader()->sectionSize(1), 150);
        QApplication::processEvents(); // the new columns laid out and drawn
        grid->horizontalHeader()->viewport()->installEventFilter(&titles);
        dm->tblCategory->setFilter(QStringLiteral("cat_id > 1"));
        dm->tblCategory->setFiltered(true);
        grid->repaint();
        QCOMPARE(model->rowCount(), dm->tblCategory->recordCount());
        const QRect other(grid->horizontalHeader()->sectionViewportPosition(1), 0, 150, 10);
        QVERIFY(!titles.region.intersects(other));
        dm->tblCategory->setFiltered(false);
    }

    void columnsTitlesAlignmentAndWidths()
    {
        grid = std::make_unique<DBGrid>();
        grid->setDataSource(dm->DsTovar); // bound before the columns are known
        grid->setColumns({{"project_id", "Код проекта", Qt::AlignHCenter, 69},
                          {"strCat", "Категория", Qt::AlignLeft, -1},
                          {"price", "Цена", Qt::AlignRight, 77},
                          {"isExports", "Экспорт", Qt::AlignCenter, 40}});
        QAbstractItemModel *model = grid->model();
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("Категория"));
        QCOMPARE(model->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QCOMPARE(Qt::Alignment(model->index(0, 2).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
        QCOMPARE(model->index(0, 1).data().toString(), QString("Бухгалтерия"));
        QCOMPARE(model->index(0, 2).data().toString(), dm->tblProjectprice->displayText(15005000LL));
        QCOMPARE(model->index(0, 3).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
        QCOMPARE(model->index(2, 3).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);

        QCOMPARE(grid->columnWidth(0), 69);
        const int lookupWidth = dm->tblProjectstrCat->displayWidth() * grid->fontMetrics().averageCharWidth();
        QVERIFY(grid->columnWidth(1) >= lookupWidth && grid->columnWidth(1) <= lookupWidth + 8);

        // The user's widths survive a new filter.
        grid->setColumnWidth(2, 123);
        dm->tblProject->setFilter("cat_id = 1");
        dm->tblProject->setFiltered(true);
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(grid->columnWidth(0), 69);
        QCOMPARE(grid->columnWidth(2), 123);
    }

    void editedRowIsRepaintedAndPostedRowShown()
    {
        showCategories(true);
        dm->tblCategory->setRecNo(2);
        QSignalSpy changed(grid->model(), &QAbstractItemModel::dataChanged);
        dm->tblCategory->edit();
        dm->tblCategorycatName->setAsString("Игры и забавы");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 1);
        dm->tblCategory->post();
        QCOMPARE(grid->model()->index(1, 0).data().toString(), QString("Игры и забавы"));
        QCOMPARE(grid->currentIndex().row(), 1);
    }

    void unboundAndClosedGridsAreEmpty()
    {
        DBGrid unbound;
        unbound.setColumns({{"catName", "Категория"}});
        QCOMPARE(unbound.model()->rowCount(), 0);
        QVERIFY(unbound.model()->headerData(0, Qt::Horizontal).toString() == "Категория");

        showCategories(true);
        dm->tblCategory->close();
        QCOMPARE(grid->model()->rowCount(), 0);
        QVERIFY(!grid->currentIndex().isValid());
        dm->tblCategory->open();
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->currentIndex().row(), 0);
    }
};

QTEST_MAIN(TestAppGrid)
#include "test_app_grid.moc"
