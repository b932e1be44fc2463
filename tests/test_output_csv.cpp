// The CSV exports read back by Python's csv module and opened in LibreOffice
// Calc, what a cancelled export (CSV or HTML) leaves behind: nothing, and a
// full disk: an error and the earlier file as it was.
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "support/RecordingSeams.h"
#include "support/Requires.h"
#include "support/TestDb.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Rows = QList<QStringList>;

const QString Name = QString::fromUtf8("Касса; \"Ёлка\"\nвторая строка 😀");
const QString Comment = QString::fromUtf8("Первая; \"оплата\"\r\nчерез банк");
const QString Path = QString::fromUtf8("trunk/kassa\nстарый"); // a line break alone must be quoted too
// Longer than the grid's 20 characters: the file holds it whole.
const QString Category = QString::fromUtf8("Бухгалтерия/учёт кадров и зарплаты");

// What Calc made of one file: each cell's kind ("text", "number", "formula")
// and text, by row, and by column title.
struct Sheet
{
    QList<QList<QPair<QString, QString>>> rows;
    QPair<QString, QString> at(int row, const QString &title) const
    {
        for (int c = 0; c < rows[0].size(); ++c)
            if (rows[0][c].second == title)
                return rows[row].value(c);
        return {};
    }
};

bool haveCalc()
{
    return !QStandardPaths::findExecutable("soffice").isEmpty()
        && QProcess::execute("/usr/bin/python3", {"-c", "import uno"}) == 0;
}

// The files as Calc opens them, once per import filter option set; one start of Calc.
QHash<QString, QHash<QString, Sheet>> openInCalc(const QStringList &options, const QStringList &files)
{
    QTemporaryDir profile;
    QProcess p;
    p.start("/usr/bin/python3", QStringList{READ_CALC_SCRIPT, profile.path(), options.join('|')} + files);
    p.waitForFinished(120000);
    if (p.exitCode() != 0)
        qWarning() << p.readAllStandardError();
    QHash<QString, QHash<QString, Sheet>> result;
    const QJsonObject all = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    for (auto o = all.begin(); o != all.end(); ++o) {
        const QJsonObject byFile = o->toObject();
        for (auto f = byFile.begin(); f != byFile.end(); ++f) {
            Sheet &sheet = result[o.key()][f.key()];
            for (const QJsonValue &row : f->toArray()) {
                sheet.rows.append(QList<QPair<QString, QString>>());
                for (const QJsonValue &cell : row.toArray())
                    sheet.rows.last().append(qMakePair(cell[0].toString(), cell[1].toString()));
            }
        }
    }
    return result;
}

} // namespace

class TestOutputCsv : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> rec;
    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<QTemporaryDir> out;

    // The records as Python's csv module reads them.
    Rows readBack(const QString &path)
    {
        const QString python = QStandardPaths::findExecutable("python3");
        if (python.isEmpty())
            return {};
        QProcess p;
        p.start(python, {QStringLiteral(READ_CSV_SCRIPT), path});
        p.waitForFinished(30000);
        if (p.exitCode() != 0)
            qWarning() << p.readAllStandardError();
        Rows rows;
        for (const QJsonValue &row : QJsonDocument::fromJson(p.readAllStandardOutput()).array()) {
            QStringList fields;
            for (const QJsonValue &f : row.toArray())
                fields << f.toString();
            rows << fields;
        }
        return rows;
    }

    QString exportWith(QAction *action, const QString &name)
    {
        const QString path = out->filePath(name);
        rec->saveFileAnswers.enqueue(path);
        action->trigger();
        return path;
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Clock::set(QDateTime(QDate(2013, 12, 25), QTime(14, 5, 9)));
        db = std::make_unique<TestDb>();
        db->fillSample();
        db->exec("UPDATE projects SET tovName = ? WHERE project_id = 1", {Name});
        db->exec("UPDATE orders SET comments = ? WHERE order_id = 1", {Comment});
        db->exec("UPDATE projects SET path_repository = ? WHERE project_id = 1", {Path});
        db->exec("UPDATE category SET catName = ? WHERE cat_id = 1", {Category});
        rec = std::make_unique<RecordingSeams>();
        out = std::make_unique<QTemporaryDir>();
        TDm *dm = db->openDm();
        window = std::make_unique<TfrmMain>();
        window->bindData();
        dm->tblCategory->locate("cat_id", 1);
        window->filterCategory();
        dm->tblProject->setSort("tovName");
    }

    void cleanup()
    {
        window.reset();
        db.reset();
        rec.reset();
        out.reset();
        Clock::reset();
    }

    void projectsAndSalesReadBackAsListed()
    {
        REQUIRE_PACKAGE(!QStandardPaths::findExecutable("python3").isEmpty(),
                        "python3 is not installed; its csv module reads the files back");
        const QString projects = exportWith(window->mnuExportProjectsCsv, "projects.csv");
        const QString sales = exportWith(window->mnuExportOrdersCsv, "sales"); // the suffix is added
        QVERIFY2(rec->errors.isEmpty(), qPrintable(rec->errors.join('\n')));

        QCOMPARE(readBack(projects),
                 Rows({{"Код проекта", "Категория", "IDE", "Год", "Наименование", "Цена", "Начало", "Конец",
                        "Обновление", "Путь в репозитории", "Экспорт проекта", "Экспорт описания", "Описание"},
                       {"4", Category, "Студия", "2010", "Авансы", "1234,5678", "10.01.2010", "", "", "",
                        "Да", "Нет", ""},
                       {"2", Category, "Редактор", "2011", "Зарплата", "250", "01.02.2011", "", "", "",
                        "Да", "Нет", ""},
                       {"1", Category, "Студия", "2010", Name, "1500,5", "01.03.2010", "30.09.2010",
                        "15.01.2011", Path, "Да", "Да", "Учёт кассы"}}));
        // Only the listed projects' sales, in the list's order, each project's by date.
        QCOMPARE(readBack(sales + ".csv"),
                 Rows({{"Код проекта", "Наименование", "Категория", "ID", "Дата продажи", "Сумма, руб.",
                        "Краткий комментарий"},
                       {"1", Name, Category, "2", "20.01.2011", "1400", ""},
                       {"1", Name, Category, "1", "01.02.2011", "1500,5", Comment}}));
        // Named after the category and the day; told how many rows were written.
        QCOMPARE(rec->saveFileSuggestions,
                 QStringList({"Проекты Бухгалтерия_учёт кадров и зарплаты 25.12.2013.csv",
                              "Продажи Бухгалтерия_учёт кадров и зарплаты 25.12.2013.csv"}));
        QCOMPARE(rec->notices.size(), 2);
        QVERIFY2(rec->notices[0].text.endsWith("projects.csv\" записано проектов: 3."),
                 qPrintable(rec->notices[0].text));
        QVERIFY2(rec->notices[1].text.endsWith("sales.csv\" записано продаж: 2."), qPrintable(rec->notices[1].text));
        QCOMPARE(rec->progressTexts.size(), 2);
    }

    // Texts that start like a formula open in Calc as the same text behind an
    // apostrophe, with the documented import options and with Calc's own
    // defaults for the rest; money, counts and dates stay numbers.
    void formulasOpenAsTextInCalc()
    {
        REQUIRE_PACKAGE(haveCalc(), "LibreOffice Calc with Python (libreoffice-calc-nogui, python3-uno) is not installed");
        const QString link = QStringLiteral("=HYPERLINK(\"http://example.invalid\";\"x\")");
        db->exec("UPDATE category SET catName = '-Бух' WHERE cat_id = 1");
        db->exec("UPDATE ide SET ide = ? WHERE version_id = 2", {QStringLiteral("\t=3")});
        db->exec("UPDATE ide SET ide = ? WHERE version_id = 1", {QStringLiteral("'+4")}); // marked again
        db->exec("UPDATE projects SET tovName = '=1+1', path_repository = '+2*3', price = -55000 WHERE project_id = 2");
        db->exec("UPDATE projects SET tovName = ?, path_repository = '@SUM(1;2)' WHERE project_id = 4", {link});
        db->exec("UPDATE orders SET comments = ? WHERE order_id = 1", {QStringLiteral("=10*10")});
        db->exec("UPDATE orders SET comments = ? WHERE order_id = 2", {QString("\r=1") + QChar(0) + "конец"});
        db->openDm();
        window->bindData();
        window->filterCategory();
        Dm->tblProject->setSort("tovName");
        const QString projects = exportWith(window->mnuExportProjectsCsv, "projects.csv");
        const QString sales = exportWith(window->mnuExportOrdersCsv, "sales.csv");
        QVERIFY2(rec->errors.isEmpty(), qPrintable(rec->errors.join('\n')));
        QFile raw(sales);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(!raw.readAll().contains('\0'));

        const QString documented = "59,34,76,1,,1049";
        const auto calc = openInCalc({documented, "59,34,76,1"}, {projects, sales});
        QCOMPARE(calc.size(), 2);
        for (const auto &files : calc) {
            const Sheet p = files.value(projects), s = files.value(sales);
            QCOMPARE(p.rows.size(), 4);
            QCOMPARE(s.rows.size(), 3);
            for (const Sheet &sheet : {p, s})
                for (const auto &row : sheet.rows)
                    for (const auto &cell : row)
                        QVERIFY2(cell.first != "formula", qPrintable(cell.second));
            using Cell = QPair<QString, QString>;
            // In name order: projects 2, 4 and 1; the sales of project 1, by date.
            QCOMPARE(p.at(1, "Наименование"), Cell("text", "'=1+1"));
            QCOMPARE(p.at(1, "Путь в репозитории"), Cell("text", "'+2*3"));
            QCOMPARE(p.at(1, "IDE"), Cell("text", "'\t=3"));
            QCOMPARE(p.at(2, "Наименование"), Cell("text", "'" + link));
            QCOMPARE(p.at(2, "IDE"), Cell("text", "''+4"));
            QCOMPARE(p.at(2, "Путь в репозитории"), Cell("text", "'@SUM(1;2)"));
            QCOMPARE(p.at(3, "Категория"), Cell("text", "'-Бух"));
            // Calc keeps a line break in a cell as LF.
            QCOMPARE(s.at(1, "Краткий комментарий"), Cell("text", "'\n=1" + QString(QChar::ReplacementCharacter) + "конец"));
            QCOMPARE(s.at(2, "Краткий комментарий"), Cell("text", "'=10*10"));
            QCOMPARE(p.at(1, "Код проекта").first, "number");
            QCOMPARE(s.at(1, "Сумма, руб.").first, "number");
        }
        // Read with the Russian settings of the documented import.
        const Sheet p = calc[documented][projects];
        QCOMPARE(p.at(1, "Цена"), qMakePair(QString("number"), QString("-5.5")));
        QCOMPARE(p.at(1, "Начало").first, "number");
    }

    void cancelledExportsLeaveNothing()
    {
        rec->cancelAtStep = 2;
        exportWith(window->mnuExportProjectsCsv, "projects.csv");
        rec->progressSteps = 0;
        exportWith(window->mnuExportOrdersCsv, "sales.csv");
        rec->progressSteps = 0;
        exportWith(window->mnuExportCat, "catalog");
        QVERIFY(rec->errors.isEmpty());
        QVERIFY(rec->notices.isEmpty()); // nothing written, nothing told
        QCOMPARE(rec->progressTexts.size(), 3);
        QCOMPARE(QDir(out->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());

        // Not cancelled, the HTML export is all there.
        rec->cancelAtStep = -1;
        exportWith(window->mnuExportCat, "catalog");
        QVERIFY(QFile::exists(out->filePath("25-12-2013-14-05-09/catalog.html")));
    }

    // A write that fails at the very end (the last flush onto a full disk)
    // is told in Russian, and an earlier export of that name stays as it was.
    void aFullDiskKeepsTheEarlierExport()
    {
        QTemporaryDir disk;
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", disk.path()}) != 0)
            QSKIP("a small file system can't be mounted here (needs root)");
        auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk.path()}); });
        QFile earlier(disk.filePath("projects.csv"));
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        QFile filler(disk.filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        filler.close();

        rec->saveFileAnswers.enqueue(earlier.fileName());
        window->mnuExportProjectsCsv->trigger();
        QCOMPARE(rec->errors.size(), 1);
        QVERIFY2(rec->errors[0].contains("на диске нет места"), qPrintable(rec->errors[0]));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"filler", "projects.csv"}));
    }

    void unwritableFileIsReportedInRussian()
    {
        exportWith(window->mnuExportProjectsCsv, "no-such-folder/projects.csv");
        QCOMPARE(rec->errors.size(), 1);
        QVERIFY2(rec->errors[0].startsWith("Не удалось записать файл"), qPrintable(rec->errors[0]));
    }
};

QTEST_MAIN(TestOutputCsv)
#include "test_output_csv.moc"
