#pragma once

#include "Requires.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

class Database;
class TDm;

// A fresh catalogue made from the program's schema: a database file in a
// temporary folder, or, when PROJECTSALES_TEST_ENGINE=server, a new database
// on the private test server that tools/test-server.sh starts (its URL in
// PROJECTSALES_TEST_PG).
class TestDb
{
public:
    TestDb();
    ~TestDb();

    static bool onServer();
    // Why the chosen engine can't be tested here; empty when it can. Suites
    // run on the server QSKIP with it from init().
    static QString unavailable();
    // Why the test server can't be used, whichever engine the suite chose.
    static QString serverUnavailable();

    // The file's path or the server database's URL: what TDm opens.
    QString path() const;
    QString dir() const { return m_dir.path(); }

    // Direct SQL, for arranging rows and checking what was stored. Written
    // in the file's dialect; on the server, names are quoted as there.
    void exec(const QString &sql, const QVariantList &values = {}) const;
    QVariant scalar(const QString &sql, const QVariantList &values = {}) const;
    // Makes the database refuse every event (INSERT, UPDATE, DELETE) on table.
    void refuse(const QString &table, const QString &event) const;

    // A small catalogue: categories "Бухгалтерия"(1), "Игры"(2), "Пустая"(3);
    // years 2010(1), 2011(2); IDE "Студия"(1), "Редактор"(2); four projects,
    // three in category 1 and one in 2, two of them with sales.
    void fillSample() const;

    // Opens the data module on the catalogue (the global Dm is set and cleared).
    TDm *openDm();
    void closeDm();

    // A new empty server database (no tables) and its URL; dropped with this object.
    QString emptyServerDatabase();

private:
    QTemporaryDir m_dir;
    QString m_location;
    std::unique_ptr<Database> m_db;
    QStringList m_serverDatabases;
    TDm *m_dm = nullptr;
};

// Runs a suite's cases, on each engine those that apply to it: the class
// names the cases of one engine alone in Q_CLASSINFO("fileOnly", "a b") and
// Q_CLASSINFO("serverOnly", "c d"). Not a skip: they have nothing to try on
// the other engine. Cases named on the command line run as asked.
int runSuiteOnEngine(QObject *suite, int argc, char **argv);

#define TESTDB_GUILESS_MAIN(Class)                                                                 \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        QCoreApplication app(argc, argv);                                                          \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        Class suite;                                                                               \
        return runSuiteOnEngine(&suite, argc, argv);                                               \
    }

#define TESTDB_MAIN(Class)                                                                         \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        Class suite;                                                                               \
        return runSuiteOnEngine(&suite, argc, argv);                                               \
    }

// Skips the current test function when the suite's engine is not available
// (fails on a CI run, where the server must be there).
#define TESTDB_REQUIRE_ENGINE() REQUIRE_PACKAGE(TestDb::unavailable().isEmpty(), TestDb::unavailable())

// The rows a statement gives on the data module's own connection, each row's
// values joined by '|', null as "∅".
QStringList moduleRows(const QString &sql);
