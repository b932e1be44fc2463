// The CSV exports read back by Python's csv module, and what a cancelled
// export (CSV or HTML) leaves behind: nothing.
#include "data/Clock.h"
#include "data/UnitDM.h"
#include "main/Unit_tr.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Rows = QList<QStringList>;

const QString Name = QString::fromUtf8("Касса; \"Ёлка\"\nвторая строка 😀");
const QString Comment = QString::fromUtf8("Первая; \"оплата\"\r\nчерез банк");

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
        if (QStandardPaths::findExecutable("python3").isEmpty())
            QSKIP("python3 is not installed; its csv module reads the files back");
        const QString projects = exportWith(window->mnuExportProjectsCsv, "projects.csv");
        const QString sales = exportWith(window->mnuExportOrdersCsv, "sales"); // the suffix is added
        QVERIFY2(rec->errors.isEmpty(), qPrintable(rec->errors.join('\n')));

        QCOMPARE(readBack(projects),
                 Rows({{"Код проекта", "Категория", "IDE", "Год", "Наименование", "Цена", "Начало", "Конец",
                        "Обновление", "Путь в репозитории", "Экспорт проекта", "Экспорт описания"},
                       {"4", "Бухгалтерия", "Студия", "2010", "Авансы", "1234,5678", "10.01.2010", "", "", "",
                        "Да", "Нет"},
                       {"2", "Бухгалтерия", "Редактор", "2011", "Зарплата", "250", "01.02.2011", "", "", "",
                        "Да", "Нет"},
                       {"1", "Бухгалтерия", "Студия", "2010", Name, "1500,5", "01.03.2010", "30.09.2010",
                        "15.01.2011", "trunk/kassa", "Да", "Да"}}));
        // Only the listed projects' sales, in the list's order, each project's by date.
        QCOMPARE(readBack(sales + ".csv"),
                 Rows({{"Код проекта", "Наименование", "ID", "Дата продажи", "Сумма, руб.", "Описание"},
                       {"1", Name, "2", "20.01.2011", "1400", ""},
                       {"1", Name, "1", "01.02.2011", "1500,5", Comment}}));
        QCOMPARE(rec->progressTexts.size(), 2);
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
        QCOMPARE(rec->progressTexts.size(), 3);
        QCOMPARE(QDir(out->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());

        // Not cancelled, the HTML export is all there.
        rec->cancelAtStep = -1;
        exportWith(window->mnuExportCat, "catalog");
        QVERIFY(QFile::exists(out->filePath("25-12-2013-14-05-09/catalog.html")));
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
