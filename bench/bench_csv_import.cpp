// Times the CSV import of 100 000 sales (in the program's own export form)
// against reading the same file with Qt alone and posting the same rows
// through the data module's connection in one transaction, side by side in
// one run, and the check of the file alone. Not run by CTest:
//   build/bench_csv_import [sales] [runs]
#include "BenchTiming.h"
#include "data/core/Money.h"
#include "data/csv/CsvImport.h"
#include "data/engine/Database.h"
#include "data/module/UnitDM.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int Projects = 1000;

// A catalogue of Projects projects in one category, and their sales as the
// export writes them.
QByteArray makeCatalogue(const QString &path, int sales)
{
    Database::create(path);
    Database db(QStringLiteral("bench_setup"));
    db.open(path);
    db.transaction([&] {
        db.exec(QStringLiteral("INSERT INTO category (catName) VALUES ('Бухгалтерия')"));
        db.exec(QStringLiteral("INSERT INTO years (name) VALUES ('2013')"));
        QSqlQuery q = db.prepare(QStringLiteral(
            "INSERT INTO projects (cat_id, year_id, tovName, price, isExports, isExportsDesc) VALUES (1, 1, ?, ?, 1, 0)"));
        for (int p = 1; p <= Projects; ++p) {
            q.bindValue(0, QStringLiteral("Проект %1").arg(p));
            q.bindValue(1, qlonglong(p) * 12345);
            q.exec();
        }
    });
    db.close();
    QByteArray csv = "\xEF\xBB\xBF" + QStringLiteral("Код проекта;Наименование;Категория;ID;Дата продажи;Сумма, руб.;"
                                                     "Краткий комментарий\r\n").toUtf8();
    const QDate start(2010, 1, 1);
    for (int s = 1; s <= sales; ++s) {
        const int p = s % Projects + 1;
        csv += QStringLiteral("%1;Проект %1;Бухгалтерия;%2;%3;%4;Оплата %2\r\n")
                   .arg(p)
                   .arg(s)
                   .arg(start.addDays(s % 1500).toString(QStringLiteral("dd.MM.yyyy")),
                        Money::fromUnits(qint64(s) * 137).toString(QLatin1Char(',')))
                   .toUtf8();
    }
    return csv;
}

// What any import must do at least: the text split at line ends and
// separators, each value converted, each row inserted, one transaction.
qint64 readAndPostWithQt(const QByteArray &bytes, TDm &dm)
{
    Database &db = *dm.ADOConnection;
    qint64 rows = 0;
    db.transaction([&] {
        QSqlQuery insert = db.prepare(
            QStringLiteral("INSERT INTO orders (project_id, date_orders, summ, comments) VALUES (?, ?, ?, ?)"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QStringList f = lines[i].split(QLatin1Char(';'));
            insert.bindValue(0, f[0].toLongLong());
            insert.bindValue(1, QDate::fromString(f[4], QStringLiteral("dd.MM.yyyy")).toString(Qt::ISODate));
            insert.bindValue(2, Money::parse(f[5])->units());
            insert.bindValue(3, f[6]);
            if (!insert.exec())
                qFatal("insert failed");
            ++rows;
        }
    });
    dm.reloadAll();
    return rows;
}

CsvImportSettings guessed(const QByteArray &bytes)
{
    CsvImportSettings s;
    s.kind = CsvKind::Sales;
    s.format = CsvImport::guessFormat(bytes);
    s.columns = CsvImport::guessColumns(s.kind, bytes, s.format);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int sales = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    QTemporaryDir dir;
    const QString master = dir.filePath("master.mdb"), work = dir.filePath("db.mdb");
    const QByteArray bytes = makeCatalogue(master, sales);
    QFile csv(dir.filePath("sales.csv"));
    if (!csv.open(QIODevice::WriteOnly) || csv.write(bytes) != bytes.size())
        qFatal("can't write the file");
    csv.close();
    const auto readFile = [&] {
        QFile f(csv.fileName());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };

    std::unique_ptr<TDm> dm;
    const auto fresh = [&] {
        dm.reset();
        QFile::remove(work);
        QFile::copy(master, work);
        dm = std::make_unique<TDm>(work);
    };
    qint64 imported = 0, posted = 0;
    const Timing import = timeRuns(runs, [&] {
        const QByteArray b = readFile();
        const CsvImport i(b, guessed(b));
        const auto done = i.run(*dm, false, [](qint64, qint64) { return true; });
        imported = done ? done->toAdd : -1;
    }, fresh);
    const Timing qtAlone = timeRuns(runs, [&] { posted = readAndPostWithQt(readFile(), *dm); }, fresh);
    CsvCheck checked;
    const Timing check = timeRuns(runs, [&] {
        const QByteArray b = readFile();
        checked = CsvImport(b, guessed(b)).check(*dm->ADOConnection);
    }, fresh);
    dm.reset();

    std::printf("%d sales, %lld bytes, median of %d runs\n", sales, qlonglong(bytes.size()), runs);
    std::printf("import (read, check, insert, lists read again): %8.0f ms wall %8.0f ms cpu (%lld rows)\n",
                import.wall, import.cpu, qlonglong(imported));
    std::printf("Qt alone (read, split, convert, insert, lists): %8.0f ms wall %8.0f ms cpu (%lld rows)\n",
                qtAlone.wall, qtAlone.cpu, qlonglong(posted));
    std::printf("ratio import / Qt alone: %.2f wall, %.2f cpu\n", import.wall / qtAlone.wall, import.cpu / qtAlone.cpu);
    std::printf("check of the file alone: %8.0f ms wall %8.0f ms cpu (%lld problems)\n", check.wall, check.cpu,
                qlonglong(checked.problems.size()));
    return imported == sales && posted == sales && checked.ok() ? 0 : 1;
}
