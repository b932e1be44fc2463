// Where the program finds its catalogue, and a server that stops the start.

#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "program/StartOptions.h"
#include "program/WindowSet.h"
#include "support/RecordingSeams.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QtTest>

class TestStart : public QObject
{
    Q_OBJECT

private slots:
    void theCatalogueComesFromTheOptionOrTheIni()
    {
        QTemporaryDir dir;
        const QString old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const auto restore = qScopeGuard([&old] { QDir::setCurrent(old); });

        QVERIFY(databaseFromIni().isEmpty());
        QVERIFY(readStartOptions({"projectsales"}).database.isEmpty());
        const QString url = "postgresql://sales@dbhost:5432/catalogue?sslmode=require&application_name=a,b";
        QFile ini(dir.filePath("projectsales.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[database]\nurl=" + url.toUtf8() + "\n");
        ini.close();
        QCOMPARE(databaseFromIni(), url);
        QCOMPARE(readStartOptions({"projectsales", "--database", "other.mdb"}).database, QString("other.mdb"));
    }

    void anUnreachableServerStopsTheStartInRussian()
    {
        RecordingSeams seams;
        QTemporaryDir nowhere; // a socket folder without a server
        QVERIFY(!startWindowSet("postgresql://sales@/catalogue?host=" + nowhere.path()));
        QCOMPARE(seams.errors.size(), 1);
        QVERIFY2(seams.errors.first().startsWith("Не удается связаться с сервером базы данных"),
                 qPrintable(seams.errors.first()));
        QVERIFY(!frmMain && !Dm);
    }
};

QTEST_MAIN(TestStart)
#include "test_start.moc"
