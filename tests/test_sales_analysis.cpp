// The sales analysis window: opened from the main menu, its tables and chart
// after "Показать", the chart saved as a picture and the page printed
// through the preview.
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "program/WindowSet.h"
#include "sales/Unit_sales_analysis.h"
#include "support/RecordingSeams.h"
#include "support/Requires.h"
#include "support/TestDb.h"

#include <QAction>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>
#include <QGraphicsTextItem>
#include <QtTest>
#include <cmath>

namespace {

QStringList rowTexts(const QTableWidget *t, int row)
{
    QStringList out;
    for (int c = 0; c < t->columnCount(); ++c)
        out << (t->item(row, c) ? t->item(row, c)->text() : QString());
    return out;
}

QAbstractBarSeries *barSeries(const TfrmSalesAnalysis *w)
{
    const QList<QAbstractSeries *> all = w->chartView->chart()->series();
    return all.size() == 1 ? qobject_cast<QAbstractBarSeries *>(all.first()) : nullptr;
}

// The texts the chart draws.
QStringList chartTexts(const TfrmSalesAnalysis *w)
{
    QStringList texts;
    for (QGraphicsItem *item : w->chartView->scene()->items())
        if (auto *text = dynamic_cast<QGraphicsTextItem *>(item); text && text->isVisible())
            texts << text->toPlainText();
    return texts;
}

// The contrast of a colour against white, 1 (none) to 21.
double contrastOnWhite(const QColor &c)
{
    const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const double luminance = 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    return 1.05 / (luminance + 0.05);
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestSalesAnalysis : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> seams;

private slots:
    void init()
    {
        Clock::set(QDateTime(QDate(2024, 5, 17), QTime(15, 30)));
        seams = std::make_unique<RecordingSeams>();
        db = std::make_unique<TestDb>();
        db->fillSample(); // sales of 20.01.2011 and 01.02.2011 (Касса), 01.06.2011 (Тетрис)
        db->exec("INSERT INTO orders (project_id, date_orders, summ) VALUES (4, '2010-06-30', 5000),"
                 " (2, '2011-01-31 18:00:00', 12345)");
        createWindowSet(db->path());
    }
    void cleanup()
    {
        destroyWindowSet();
        db.reset();
        seams.reset();
        Clock::reset();
    }

    void theLastSalesItemOpensTwelveMonthsOfAllCategories()
    {
        QAction *item = frmMain->mnuPay->actions().last();
        QCOMPARE(item->text(), QStringLiteral("Анализ продаж…"));
        QCOMPARE(frmMain->mnuService->actions().first(), item);
        QStringList total;
        QString from, to;
        int bars = 0;
        QTimer::singleShot(0, frmSalesAnalysis, [&] {
            from = frmSalesAnalysis->dtFrom->text();
            to = frmSalesAnalysis->dtTo->text();
            const QTableWidget *g = frmSalesAnalysis->gridPeriods;
            total = rowTexts(g, g->rowCount() - 1);
            bars = int(g->rowCount()) - 1;
            frmSalesAnalysis->btnClose->click();
        });
        item->trigger();
        QCOMPARE(from, QStringLiteral("01.07.2010"));
        QCOMPARE(to, QStringLiteral("30.06.2011"));
        QCOMPARE(bars, 12);
        // 1400 + 1.2345 + 1500.5 + 99.99 roubles; the sale of 30.06.2010 is a day early.
        // The mean 750.431125 in kopecks, with the Russian comma whatever the locale.
        QCOMPARE(total, (QStringList{"Итого", "4", "3001,7245", "750,43"}));
    }

    void categoriesStackInTheChartAndOneCategoryStandsAlone()
    {
        TfrmSalesAnalysis *w = frmSalesAnalysis;
        w->show();
        w->cbPeriod->setCurrentIndex(1);
        w->dtFrom->setDate(QDate(2011, 1, 1));
        w->dtTo->setDate(QDate(2011, 12, 31));
        w->btnShow->click();
        QCOMPARE(rowTexts(w->gridPeriods, 0).mid(0, 2), (QStringList{"I кв. 2011", "3"}));
        QCOMPARE(rowTexts(w->gridProjects, 0).mid(0, 3), (QStringList{"Касса", "Бухгалтерия", "2"}));
        QAbstractBarSeries *stacked = barSeries(w);
        QVERIFY(qobject_cast<QStackedBarSeries *>(stacked));
        QCOMPARE(stacked->count(), 2); // Бухгалтерия and Игры
        QCOMPARE(stacked->barSets().at(0)->label(), QStringLiteral("Бухгалтерия"));
        QCOMPARE(stacked->barSets().at(0)->at(0), 1500.5 + 1400 + 1.2345);
        QCOMPARE(stacked->barSets().at(1)->at(1), 99.99);

        w->cbCategory->setCurrentIndex(w->cbCategory->findText("Игры"));
        w->btnShow->click();
        QAbstractBarSeries *single = barSeries(w);
        QVERIFY(single && !qobject_cast<QStackedBarSeries *>(single));
        QCOMPARE(single->count(), 1);
        QCOMPARE(rowTexts(w->gridPeriods, 4).mid(0, 2), (QStringList{"Итого", "1"}));
        QCOMPARE(w->gridProjects->rowCount(), 1);

        w->dtFrom->setDate(QDate(2012, 1, 1));
        w->btnShow->click();
        QCOMPARE(seams->notices.size(), 1);
        QCOMPARE(w->gridProjects->rowCount(), 1); // what was shown stays
    }

    // What was last shown comes back in the next run, per user; a category
    // deleted meanwhile falls back to all of them.
    void theLastChoicesComeBackInTheNextRun()
    {
        TfrmSalesAnalysis *w = frmSalesAnalysis;
        w->show();
        w->cbPeriod->setCurrentIndex(2);
        w->dtFrom->setDate(QDate(2009, 3, 1));
        w->dtTo->setDate(QDate(2011, 9, 30));
        w->cbCategory->setCurrentIndex(w->cbCategory->findText("Игры"));
        w->btnShow->click();
        w->close();
        const auto reopened = [this] {
            destroyWindowSet();
            createWindowSet(db->path());
            frmSalesAnalysis->show();
            return frmSalesAnalysis;
        };
        w = reopened();
        QCOMPARE(w->cbPeriod->currentIndex(), 2);
        QCOMPARE(w->dtFrom->date(), QDate(2009, 3, 1));
        QCOMPARE(w->dtTo->date(), QDate(2011, 9, 30));
        QCOMPARE(w->cbCategory->currentText(), QStringLiteral("Игры"));
        QCOMPARE(w->gridPeriods->rowCount(), 4); // 2009, 2010, 2011 and the total, shown at once

        w->close();
        db->exec("DELETE FROM orders WHERE project_id IN (SELECT project_id FROM projects WHERE cat_id = 2)");
        db->exec("DELETE FROM projects WHERE cat_id = 2");
        db->exec("DELETE FROM category WHERE cat_id = 2");
        w = reopened();
        QCOMPARE(w->cbCategory->currentIndex(), 0);
        QCOMPARE(w->dtFrom->date(), QDate(2009, 3, 1));
    }

    // Closed, opened again and shown for another period, the chart draws
    // the new axes only, on screen as in the picture and the printout.
    void aReopenedChartDrawsOnlyItsNewAxes()
    {
        TfrmSalesAnalysis *w = frmSalesAnalysis;
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->close();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->cbPeriod->setCurrentIndex(2); // years
        w->btnShow->click();
        const QStringList labels = chartTexts(w); // the picture and the printout render this scene
        QCOMPARE(labels.count("0 руб."), 1);
        QCOMPARE(labels.filter("\n"), QStringList()); // no month of the first showing
        QVERIFY2(labels.contains("2010") && labels.contains("2011"), qPrintable(labels.join('|')));
    }

    // Nine years by month: 108 bars under year labels, each bar's tooltip
    // naming its month; a category keeps its colour stacked and alone.
    void manyYearsByMonthAreLabelledByYearAndKeepTheirColours()
    {
        db->exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 107)"
                 " INSERT INTO orders (project_id, date_orders, summ)"
                 " SELECT p, date('2005-01-15', '+' || i || ' months'), (100 + i) * 10000 FROM n, (SELECT 1 AS p UNION SELECT 3)");
        TfrmSalesAnalysis *w = frmSalesAnalysis;
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->dtFrom->setDate(QDate(2005, 1, 1));
        w->dtTo->setDate(QDate(2013, 12, 31));
        w->btnShow->click();
        QCOMPARE(w->gridPeriods->rowCount(), 108 + 1);
        QStringList years;
        for (int y = 2005; y <= 2013; ++y)
            years << QString::number(y);
        const auto periodLabels = [w] {
            auto *axis = qobject_cast<QCategoryAxis *>(w->chartView->chart()->axes(Qt::Horizontal).first());
            return axis->categoriesLabels();
        };
        QTRY_COMPARE(periodLabels(), years);
        QVERIFY2(chartTexts(w).filter(QStringLiteral("…")).isEmpty(), qPrintable(chartTexts(w).join('|')));

        QAbstractBarSeries *stacked = barSeries(w);
        QHash<QString, QColor> colours;
        for (QBarSet *set : stacked->barSets()) {
            colours.insert(set->label(), set->color());
            QVERIFY2(contrastOnWhite(set->color()) >= 3, qPrintable(set->label()));
        }
        QCOMPARE(colours.size(), 2);
        QVERIFY(colours.value("Бухгалтерия") != colours.value("Игры"));
        emit stacked->barSets().at(1)->hovered(true, 26); // the tip goes at the next event offscreen
        QCOMPARE(QToolTip::text(), QStringLiteral("март 2007\nИгры: 126 руб.\nВсего: 252 руб."));

        // A December alone is too narrow for its year: blank, not "…".
        w->dtFrom->setDate(QDate(2004, 12, 1));
        w->btnShow->click();
        QTRY_COMPARE(periodLabels(), QStringList{" "} + years);

        w->cbCategory->setCurrentIndex(w->cbCategory->findText("Игры"));
        w->btnShow->click();
        QCOMPARE(barSeries(w)->barSets().first()->color(), colours.value("Игры"));
        // A year of months fits month by month again.
        w->dtFrom->setDate(QDate(2013, 1, 1));
        w->btnShow->click();
        QTRY_COMPARE(periodLabels().size(), 12);
        QCOMPARE(periodLabels().first(), QStringLiteral("янв.<br>2013"));
    }

    void theChartIsSavedAsAPictureAndAFailedWriteIsReported()
    {
        TfrmSalesAnalysis *w = frmSalesAnalysis;
        w->show();
        const QString path = seams->tempPath() + "/chart";
        seams->saveFileAnswers.enqueue(path);
        w->btnSavePicture->click();
        QImage saved(path + ".png");
        QCOMPARE(saved.size(), w->chartView->viewport()->size());
        QCOMPARE(saved.text("Title"), w->selectionText());
        QCOMPARE(w->chartView->chart()->title(), QStringLiteral("Сумма продаж, руб.")); // the window's again
        QVERIFY(seams->errors.isEmpty());

        seams->saveFileAnswers.enqueue(seams->tempPath() + "/missing/chart.png");
        w->btnSavePicture->click();
        QCOMPARE(seams->errors.size(), 1);
        QVERIFY(seams->errors.first().contains("chart.png"));
    }

    void printingPutsTheTablesAndTheChartOnThePage()
    {
        REQUIRE_PACKAGE(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
                        "pdftotext (poppler-utils) is not installed");
        TfrmSalesAnalysis *w = frmSalesAnalysis;
        w->show();
        w->btnPrint->click();
        QCOMPARE(seams->previewFiles.size(), 1);
        const QString pdf = seams->previewFiles.first();
        const QString text = run("pdftotext", {"-layout", pdf, "-"});
        // The chart's axis labels are text on the page: the chart is drawn, not pasted as a picture.
        for (const QString &part : {QStringLiteral("Анализ продаж"), QStringLiteral("с 01.07.2010 по 30.06.2011"),
                                    QStringLiteral("Продажи по периодам"), QStringLiteral("июнь 2011"),
                                    QStringLiteral("Лучшие проекты"), QStringLiteral("Зарплата"),
                                    QStringLiteral("Итого"), QStringLiteral("0 руб."), QStringLiteral("500 руб.")})
            QVERIFY2(text.contains(part), qPrintable(part + "\n" + text));
        const QStringList images = run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(images.size(), 2); // the heading lines only
        QCOMPARE(seams->previewPages, 1);
    }
};

QTEST_MAIN(TestSalesAnalysis)
#include "test_sales_analysis.moc"
