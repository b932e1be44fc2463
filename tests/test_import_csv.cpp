// The CSV import through its window: the program's own export of the demo
// catalogue read into an empty catalogue gives the same rows, and the window
// guesses a file's format and columns, lists what can't be taken and
// imports only after a check that found nothing.
#include "data/core/Cp1251.h"
#include "data/engine/Database.h"
#include "data/module/UnitDM.h"
#include "import/CsvImportDialog.h"
#include "main/Unit_tr.h"
#include "program/WindowSet.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

// Everything of a project but its key and picture, and every sale by its project's name.
QStringList projectRows()
{
    return moduleRows("SELECT c.catName, y.name, i.ide, p.tovName, p.price, p.description, p.project_begin,"
                      " p.project_end, p.datetime_update, p.path_repository, p.isExports, p.isExportsDesc"
                      " FROM projects p LEFT JOIN category c ON c.cat_id = p.cat_id"
                      " LEFT JOIN years y ON y.year_id = p.year_id LEFT JOIN ide i ON i.version_id = p.version_id"
                      " ORDER BY p.tovName");
}
QStringList saleRows()
{
    return moduleRows("SELECT p.tovName, o.date_orders, o.summ, o.comments FROM orders o"
                      " JOIN projects p ON p.project_id = o.project_id ORDER BY 1, 2, 3, 4");
}

QString problemsOf(const CsvImportDialog *d)
{
    QStringList rows;
    for (int r = 0; r < d->gridProblems->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < d->gridProblems->columnCount(); ++c)
            cells << d->gridProblems->item(r, c)->toolTip();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

} // namespace

class TestImportCsv : public QObject
{
    Q_OBJECT
    std::unique_ptr<RecordingSeams> rec;
    std::unique_ptr<TestDb> db;
    QTemporaryDir dir;

    // Runs the menu command on file; inWindow gets the window before it is closed.
    void importWith(QAction *command, const QString &file, const std::function<void(CsvImportDialog *)> &inWindow)
    {
        rec->openFileAnswers.enqueue(file);
        rec->onDialog = [&](QDialog *d) {
            auto *w = qobject_cast<CsvImportDialog *>(d);
            QVERIFY(w);
            inWindow(w);
        };
        command->trigger();
        rec->onDialog = nullptr;
    }

private slots:
    void init() { rec = std::make_unique<RecordingSeams>(); }
    void cleanup()
    {
        destroyWindowSet();
        db.reset();
        rec.reset();
    }

    // Exported, then read into an empty catalogue without a touch but the
    // sales' match by name (the new catalogue gives the projects new codes).
    void roundTripOfTheDemoCatalogue()
    {
        const QString demo = dir.filePath("demo.mdb");
        QCOMPARE(QProcess::execute(QStringLiteral(NEWDB_PATH), {demo, "--demo"}), 0);
        createWindowSet(demo);
        Dm->tblProject->setFiltered(false); // every project listed, so every one exported
        const QString projects = dir.filePath("projects.csv"), sales = dir.filePath("sales.csv");
        rec->saveFileAnswers << projects << sales;
        frmMain->mnuExportProjectsCsv->trigger();
        frmMain->mnuExportOrdersCsv->trigger();
        const QStringList demoProjects = projectRows(), demoSales = saleRows();
        QVERIFY(demoProjects.size() > 20);
        QVERIFY(demoSales.size() > 100);
        destroyWindowSet();

        const QString empty = dir.filePath("empty.mdb");
        Database::create(empty);
        createWindowSet(empty);
        importWith(frmMain->mnuImportProjectsCsv, projects, [](CsvImportDialog *w) {
            w->btnCheckClick();
            QCOMPARE(problemsOf(w), QString());
            QVERIFY(w->btnImport->isEnabled());
            w->btnImportClick();
        });
        QCOMPARE(rec->questions.size(), 1); // the reference books' entries are created after a question
        QVERIFY2(rec->questions[0].text.contains("Бухгалтерия"), qPrintable(rec->questions[0].text));
        importWith(frmMain->mnuImportOrdersCsv, sales, [](CsvImportDialog *w) {
            w->cbMatch->setCurrentIndex(w->cbMatch->findData(false));
            w->btnCheckClick();
            QCOMPARE(problemsOf(w), QString());
            w->btnImportClick();
        });
        QVERIFY2(rec->errors.isEmpty(), qPrintable(rec->errors.join('\n')));
        QCOMPARE(projectRows(), demoProjects);
        QCOMPARE(saleRows(), demoSales);
        QCOMPARE(rec->notices.last().text,
                 QStringLiteral("Импорт завершён. Добавлено продаж: %1.").arg(demoSales.size()));
        // The main window's lists and statistics show what was imported.
        QCOMPARE(Dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), demoProjects.size());
        QVERIFY(Dm->tblCategory->recordCount() > 1);
    }

    // A file in Windows-1251 with commas: the window reads its format and
    // columns; a check lists what can't be taken and keeps "Импортировать"
    // off; any change takes a check again.
    void windowGuessesChecksAndWaitsForACleanCheck()
    {
        db = std::make_unique<TestDb>();
        db->fillSample();
        createWindowSet(db->path());
        QFile file(dir.filePath("sales-1251.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Cp1251::fromUnicodeForHtml(QString::fromUtf8("Проект,Дата продажи,Сумма,Заметка\r\n"
                                                                "Касса,01.02.2013,\"1 234,5\",Оплата «наличными»\r\n"
                                                                "Касса,02.02.2013,абв,\r\n")));
        file.close();
        const QStringList before = saleRows();
        importWith(frmMain->mnuImportOrdersCsv, file.fileName(), [](CsvImportDialog *w) {
            QCOMPARE(w->cbEncoding->currentText(), QStringLiteral("Windows-1251"));
            QCOMPARE(w->cbSeparator->currentData().toString(), QStringLiteral(","));
            QCOMPARE(w->cbDecimal->currentData().toString(), QStringLiteral("."));
            QVERIFY(w->chkTitles->isChecked());
            QCOMPARE(w->gridPreview->item(1, 3)->text(), QStringLiteral("Оплата «наличными»"));
            QCOMPARE(w->columnField(0)->currentText(), QStringLiteral("Название проекта"));
            QCOMPARE(w->columnField(3)->currentText(), QStringLiteral("(не импортировать)"));
            QVERIFY(!w->btnImport->isEnabled());
            QCOMPARE(w->cbMatch->currentData().toBool(), false); // no code in the file: by the name
            w->btnCheckClick();
            QCOMPARE(problemsOf(w), QStringLiteral("2|3|1 234,5|не число (десятичный знак — «.»)\n"
                                                   "3|3|абв|не число"));
            QVERIFY(!w->btnImport->isEnabled());

            w->cbDecimal->setCurrentIndex(w->cbDecimal->findData(QStringLiteral(",")));
            w->cbThousands->setCurrentIndex(w->cbThousands->findData(int(CsvFormat::Thousands::Space)));
            w->columnField(2)->setCurrentIndex(0); // the sums skipped: the project's price
            w->columnField(3)->setCurrentIndex(w->columnField(3)->findData(int(CsvField::SaleComment)));
            w->btnCheckClick();
            QCOMPARE(problemsOf(w), QString());
            QVERIFY(w->btnImport->isEnabled());
            w->columnField(2)->setCurrentIndex(w->columnField(2)->findData(int(CsvField::SaleSum)));
            QVERIFY(!w->btnImport->isEnabled()); // changed since the check
            w->btnCheckClick();
            QCOMPARE(problemsOf(w), QStringLiteral("3|3|абв|не число"));
            w->columnField(2)->setCurrentIndex(0);
            w->btnCheckClick();
            w->btnImportClick();
        });
        QCOMPARE(saleRows().size(), before.size() + 2);
        QVERIFY(saleRows().contains("Касса|2013-02-01|15005000|Оплата «наличными»"));
        QCOMPARE(rec->notices.last().text, QStringLiteral("Импорт завершён. Добавлено продаж: 2."));
        QCOMPARE(rec->progressTexts, QStringList({"Импорт продаж из CSV…"}));
    }
};

QTEST_MAIN(TestImportCsv)
#include "test_import_csv.moc"
