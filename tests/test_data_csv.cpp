// Projects and sales read from CSV files: encodings, separators and number
// marks as spreadsheets write them, every kind of refused value listed with
// its line before anything is written, names already stored, and a
// cancelled import that leaves the catalogue as it was.
#include "data/core/Clock.h"
#include "data/core/Cp1251.h"
#include "data/core/DataError.h"
#include "data/csv/CsvImport.h"
#include "data/engine/Database.h"
#include "data/module/UnitDM.h"
#include "support/TestDb.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Settings as the window starts with them: all guessed from the file.
CsvImportSettings guessed(CsvKind kind, const QByteArray &bytes)
{
    CsvImportSettings s;
    s.kind = kind;
    s.format = CsvImport::guessFormat(bytes);
    s.columns = CsvImport::guessColumns(kind, bytes, s.format);
    return s;
}

const auto Go = [](qint64, qint64) { return true; };

QString problemText(const CsvProblem &p)
{
    return QStringLiteral("%1:%2 [%3] %4").arg(p.line).arg(p.column).arg(p.value, p.why);
}

} // namespace

class TestDataCsv : public QObject
{
    Q_OBJECT
    // Calc's files are read the same on either engine.
    Q_CLASSINFO("fileOnly", "calcSavedFilesImportedExactly")
    std::unique_ptr<TestDb> db;

    QStringList catalogue()
    {
        return moduleRows("SELECT c.catName, y.name, i.ide, p.tovName, p.price, p.project_begin, p.project_end,"
                          " p.path_repository, p.isExports, p.isExportsDesc, p.description FROM projects p"
                          " LEFT JOIN category c ON c.cat_id = p.cat_id LEFT JOIN years y ON y.year_id = p.year_id"
                          " LEFT JOIN ide i ON i.version_id = p.version_id ORDER BY p.project_id");
    }
    QStringList sales()
    {
        return moduleRows("SELECT p.tovName, o.date_orders, o.summ, o.comments FROM orders o"
                          " JOIN projects p ON p.project_id = o.project_id ORDER BY o.order_id");
    }

private slots:
    void init()
    {
        TESTDB_REQUIRE_ENGINE();
        Clock::set(QDateTime(QDate(2013, 12, 25), QTime(14, 5, 9)));
        db = std::make_unique<TestDb>();
    }
    void cleanup()
    {
        db.reset();
        Clock::reset();
    }

    // One list of projects as three spreadsheets write it; the format is
    // guessed, the values taken exactly, formula marks taken off, the
    // missing reference entries created.
    void encodingsAndMarks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<int>("thousands");
        QTest::addColumn<int>("dateForm");
        const QString semicolons = QString::fromUtf8(
            "Категория;Год;IDE;Наименование;Цена;Начало;Конец;Путь в репозитории;Экспорт проекта;Описание\r\n"
            "Учёт;2012;Студия 2012;Касса «Ёлка»;1\u00A0234,5678;01.02.2012;;trunk/kassa;Да;\"Строка; первая\r\n"
            "\"\"вторая\"\"\"\r\n"
            "Учёт;2013;;'=1+1;-0,0001;;31.12.2013 18:30:00;'+7;Нет;'@SUM(1)\r\n");
        QTest::newRow("Windows-1251") << Cp1251::fromUnicodeForHtml(semicolons)
                                      << int(CsvFormat::Encoding::Windows1251) << ";" << ","
                                      << int(CsvFormat::Thousands::NoBreakSpace)
                                      << int(CsvFormat::DateForm::DayMonthYear);
        QTest::newRow("UTF-8 with a mark") << QByteArray("\xEF\xBB\xBF" + semicolons.toUtf8())
                                           << int(CsvFormat::Encoding::Utf8) << ";" << ","
                                           << int(CsvFormat::Thousands::NoBreakSpace)
                                           << int(CsvFormat::DateForm::DayMonthYear);
        const QString commas = QString::fromUtf8(
            "Категория,Год,IDE,Наименование,Цена,Начало,Конец,Путь в репозитории,Экспорт проекта,Описание\n"
            "Учёт,2012,Студия 2012,Касса «Ёлка»,\"1 234.5678\",2012-02-01,,trunk/kassa,1,\"Строка; первая\r\n"
            "\"\"вторая\"\"\"\n"
            "Учёт,2013,,'=1+1,-0.0001,,2013-12-31 18:30:00,'+7,0,'@SUM(1)\n");
        QTest::newRow("UTF-8, commas") << commas.toUtf8() << int(CsvFormat::Encoding::Utf8) << "," << "."
                                       << int(CsvFormat::Thousands::Space) << int(CsvFormat::DateForm::Iso);
    }
    void encodingsAndMarks()
    {
        QFETCH(QByteArray, bytes);
        TDm *dm = db->openDm();
        const CsvImportSettings s = guessed(CsvKind::Projects, bytes);
        QTEST(int(s.format.encoding), "encoding");
        QTEST(QString(s.format.separator), "separator");
        QTEST(QString(s.format.decimal), "decimal");
        QTEST(int(s.format.thousands), "thousands");
        QTEST(int(s.format.dateForm), "dateForm");
        QVERIFY(s.format.titles);

        const CsvImport import(bytes, s);
        const CsvCheck check = import.check(*dm->ADOConnection);
        QVERIFY2(check.ok(), qPrintable(check.problems.isEmpty() ? "" : problemText(check.problems.first())));
        QCOMPARE(check.newCategories, QStringList({"Учёт"}));
        QCOMPARE(check.newYears, QStringList({"2012", "2013"}));
        QCOMPARE(check.newIdes, QStringList({"Студия 2012"}));
        QCOMPARE(check.toAdd, 2);
        const auto done = import.run(*dm, true, Go);
        QVERIFY(done);
        QCOMPARE(catalogue(),
                 QStringList({"Учёт|2012|Студия 2012|Касса «Ёлка»|12345678|2012-02-01|∅|trunk/kassa|1|0|"
                              "Строка; первая\r\n\"вторая\"",
                              "Учёт|2013|∅|=1+1|-1|∅|2013-12-31 18:30:00|+7|0|0|@SUM(1)"}));
        // The data module reads its lists again.
        QCOMPARE(dm->tblCategory->recordCount(), 1);
        QCOMPARE(dm->sqlStatistic->fieldByName("allCountProject")->asInteger(), 2);
    }

    // Every value that can't be taken is listed with its line, column and
    // why, the whole file read; the import then refuses and writes nothing.
    void everyProblemListedNothingWritten()
    {
        db->fillSample();
        TDm *dm = db->openDm();
        const QString longName(101, QChar(u'я'));
        const QByteArray projects =
            (QStringLiteral("Категория;Год;Наименование;Цена;Начало;Экспорт проекта\r\n"
                            "Игры;2010;Тетрис 2;12,34567;01.01.2010;Да\r\n")           // 2: too many decimals
             + "Игры;2010;" + longName + ";1;32.01.2010;Да\r\n"                     // 3: too long, not a date
             + QStringLiteral("Игры;2010;;1;;Может быть\r\n"                        // 4: no name, not yes or no
                              "Игры;2010;Тетрис 2;10000000000;;\r\n"                // 5: repeated, beyond the bound
                              ";;Змейка;abc;;\r\n"                                  // 6: no category, year, number
                              "Игры;2010;Сапёр;1;Да\r\n"                            // 7: a field short
                              "Игры;\"2010;Пасьянс;1;;\r\n"))                    // 8: a quote left open
                .toUtf8();
        const CsvImport a(projects, guessed(CsvKind::Projects, projects));
        QStringList listed;
        for (const CsvProblem &p : a.check(*dm->ADOConnection).problems)
            listed << problemText(p);
        QCOMPARE(listed, QStringList({"2:4 [12,34567] больше четырёх знаков после запятой",
                                      "3:3 [" + longName + "] длиннее 100 символов",
                                      "3:5 [32.01.2010] не дата (ожидается дд.мм.гггг)",
                                      "4:3 [] нет названия", "4:6 [Может быть] не «Да» и не «Нет»",
                                      "5:4 [10000000000] больше 9 999 999 999,9999 по модулю",
                                      "5:3 [Тетрис 2] название повторяет строку 2",
                                      "6:1 [] не указана категория", "6:2 [] не указан год разработки",
                                      "6:4 [abc] не число", "7:0 [] полей 5, а в первой строке 6",
                                      "8:0 [] кавычка не закрыта до конца файла"}));

        const QByteArray orders = QString::fromUtf8("Код проекта;Дата продажи;Сумма, руб.;Краткий комментарий\r\n"
                                                     "1;01.02.2013;1.5;\r\n"  // 2: the other decimal mark
                                                     "99;01.02.2013;1;\r\n"   // 3: no such project
                                                     "x;1.2.13;1;\r\n")       // 4: no code, not this date form
                                      .toUtf8();
        CsvImportSettings s = guessed(CsvKind::Sales, orders);
        s.format.decimal = QLatin1Char(','); // as chosen in the window
        const CsvImport b(orders, s);
        listed.clear();
        for (const CsvProblem &p : b.check(*dm->ADOConnection).problems)
            listed << problemText(p);
        QCOMPARE(listed, QStringList({"2:3 [1.5] не число (десятичный знак — «,»)", "3:1 [99] нет такого проекта",
                                      "4:1 [x] не целое число", "4:2 [1.2.13] не дата (ожидается дд.мм.гггг)"}));
        s.matchByCode = false;
        QCOMPARE(problemText(CsvImport(orders, s).check(*dm->ADOConnection).problems.value(0)),
                 "1:0 [] не выбран столбец «Название проекта»");

        const QStringList before = catalogue() + sales();
        for (const CsvImport *import : {&a, &b})
            QVERIFY_THROWS_EXCEPTION(DataError, import->run(*dm, true, Go));
        QCOMPARE(catalogue() + sales(), before);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM category").toInt(), 3);
    }

    // A name already stored is skipped, or its project takes the file's
    // values in the columns the file holds; never a second project.
    void existingNameSkippedOrUpdated()
    {
        db->fillSample();
        TDm *dm = db->openDm();
        const QByteArray file = QString::fromUtf8("Наименование;Цена;Категория;Год\r\n"
                                                  "Касса;99,5;Игры;2011\r\n"
                                                  "Новый;1;Игры;2011\r\n").toUtf8();
        CsvImportSettings s = guessed(CsvKind::Projects, file);
        const QString kassa = "Бухгалтерия|2010|Студия|Касса|15005000|2010-03-01|2010-09-30|trunk/kassa|1|1|Учёт кассы";
        auto done = CsvImport(file, s).run(*dm, false, Go);
        QVERIFY(done);
        QCOMPARE(std::make_tuple(done->toAdd, done->toUpdate, done->toSkip), std::make_tuple(1, 0, 1));
        QCOMPARE(catalogue().value(0), kassa);
        QCOMPARE(catalogue().value(4), "Игры|2011|∅|Новый|10000|2013-12-25|∅|∅|1|0|∅"); // a new row's defaults

        s.updateExisting = true;
        done = CsvImport(file, s).run(*dm, false, Go);
        QCOMPARE(std::make_tuple(done->toAdd, done->toUpdate, done->toSkip), std::make_tuple(0, 2, 0));
        QCOMPARE(catalogue().value(0),
                 "Игры|2011|Студия|Касса|995000|2010-03-01|2010-09-30|trunk/kassa|1|1|Учёт кассы");
        QCOMPARE(catalogue().size(), 5);
        // The sales follow their project into its new category in the totals.
        QCOMPARE(db->scalar("SELECT SUM(sales) FROM sales_month WHERE cat_id = 2").toInt(), 3);
    }

    // Sales by their project's code or name; a sum left out is the
    // project's price, as a new sale starts; the totals follow.
    void salesByCodeOrName()
    {
        db->fillSample();
        TDm *dm = db->openDm();
        const QByteArray byCode = "\xEF\xBB\xBF" + QString::fromUtf8("Код проекта;Наименование;Категория;ID;Дата продажи;Сумма, руб.;Краткий комментарий\r\n"
                                             "2;Зарплата;Бухгалтерия;7;05.03.2012;-0,0001;'=2\r\n").toUtf8();
        CsvImportSettings s = guessed(CsvKind::Sales, byCode);
        QCOMPARE(s.columns, QVector<CsvField>({CsvField::ProjectCode, CsvField::Name, CsvField::Skip, CsvField::Skip,
                                                CsvField::SaleDate, CsvField::SaleSum, CsvField::SaleComment}));
        QVERIFY(CsvImport(byCode, s).run(*dm, false, Go));
        const QByteArray byName = QString::fromUtf8("Проект;Дата\r\nТетрис;01.01.2013\r\n").toUtf8();
        s = guessed(CsvKind::Sales, byName);
        s.matchByCode = false;
        QVERIFY(CsvImport(byName, s).run(*dm, false, Go));
        QCOMPARE(sales().mid(3), QStringList({"Зарплата|2012-03-05|-1|=2", "Тетрис|2013-01-01|999900|∅"}));
        QCOMPARE(dm->sqlStateOrders->fieldByName("allSumm")->asMoney().units(), 15005000 + 14000000 + 999900 * 2 - 1);
        QCOMPARE(db->scalar("SELECT SUM(sales) FROM sales_month").toInt(), 5);
    }

    // A sheet filled in Calc with Russian settings (money grouped by
    // no-break spaces, decimal commas, dates as dates) and saved as CSV in
    // UTF-8 and in Windows-1251: each file read into an empty catalogue
    // gives the sheet's values exactly.
    void calcSavedFilesImportedExactly()
    {
        REQUIRE_PACKAGE(!QStandardPaths::findExecutable("soffice").isEmpty()
                            && QProcess::execute("/usr/bin/python3", {"-c", "import uno"}) == 0,
                        "LibreOffice Calc with Python (libreoffice-calc-nogui, python3-uno) is not installed");
        QTemporaryDir out;
        const QString utf8 = out.filePath("utf8.csv"), cp1251 = out.filePath("cp1251.csv");
        QProcess calc;
        calc.start("/usr/bin/python3", {WRITE_CALC_SCRIPT, out.filePath("profile"), utf8, cp1251});
        QVERIFY(calc.waitForFinished(180000));
        QVERIFY2(calc.exitCode() == 0, calc.readAllStandardError().constData());
        for (const auto &[path, encoding] :
             {std::make_pair(utf8, CsvFormat::Encoding::Utf8), std::make_pair(cp1251, CsvFormat::Encoding::Windows1251)}) {
            db = std::make_unique<TestDb>();
            TDm *dm = db->openDm();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const CsvImportSettings s = guessed(CsvKind::Projects, bytes);
            QVERIFY(s.format.encoding == encoding);
            QVERIFY(s.format.thousands == CsvFormat::Thousands::NoBreakSpace);
            const CsvImport import(bytes, s);
            const CsvCheck check = import.check(*dm->ADOConnection);
            QVERIFY2(check.ok(), qPrintable(check.problems.isEmpty() ? "" : problemText(check.problems.first())));
            QVERIFY(import.run(*dm, true, Go));
            QCOMPARE(catalogue(),
                     QStringList({"Учёт|2012|Студия 2012|Касса «Ёлка»|12345678912|2012-02-01|∅|∅|1|0|"
                                  "Строка; первая\n\"вторая\"",
                                  "Учёт|2013|∅|Склад|-1|2013-12-31|∅|∅|0|0|=1+1",
                                  "Кадры|2013|IDE 7.1|Зарплата|2500000|1999-03-09|∅|∅|1|0|∅"}));
        }
    }

    // Stopped at its last step, nothing of it stays: not the rows, not the
    // reference entries it had created.
    void cancelledImportLeavesNothing()
    {
        db->fillSample();
        TDm *dm = db->openDm();
        QString text = QString::fromUtf8("Наименование;Категория;Год\r\n");
        for (int i = 0; i < 1000; ++i)
            text += QStringLiteral("Проект %1;Новая;2020\r\n").arg(i);
        const QByteArray file = text.toUtf8();
        const QStringList before = catalogue();
        qint64 lastDone = -1;
        const auto done = CsvImport(file, guessed(CsvKind::Projects, file)).run(*dm, true, [&](qint64 d, qint64 total) {
            lastDone = d;
            return d < total;
        });
        QVERIFY(!done);
        QCOMPARE(lastDone, 1000);
        QCOMPARE(catalogue(), before);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM category").toInt(), 3);
        QCOMPARE(db->scalar("SELECT COUNT(*) FROM years").toInt(), 2);
    }
};

TESTDB_GUILESS_MAIN(TestDataCsv)
#include "test_data_csv.moc"
