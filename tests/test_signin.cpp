// The sign-in to a server catalogue whose server asks for a password, on the
// private test server (the role ps_password signs in with scram-sha-256) and
// the real keyring of a private D-Bus session (tests/scripts/with-keyring.sh).

#include "app/DesktopKeyring.h"
#include "app/Seams.h"
#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/EngineServer.h"
#include "program/Application.h"
#include "program/ServerSignIn.h"
#include "program/WindowSet.h"
#include "settings/SignInDialog.h"
#include "support/RecordingSeams.h"
#include "support/TestDb.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QUrl>
#include <QtTest>
#include <memory>

namespace {

const QString Role = QStringLiteral("ps_password");
const QString Right = QStringLiteral("Верный пароль-1");

void runDirect(const Database &db, const QString &sql)
{
    QSqlQuery q(db.connection());
    if (!q.exec(sql))
        throw std::runtime_error((sql + QLatin1String(": ") + q.lastError().text()).toStdString());
}

// What one showing of the sign-in window looked like.
struct Shown {
    QString refusal;
    bool rememberEnabled = false;
    bool rememberChecked = false;
    QString rememberTip;
};

} // namespace

class TestSignIn : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void wrongPasswordsEndTheStartAfterThreeTriesOrCancel();
    void libpqsOwnWaysComeFirst();
    void theKeyringKeepsAndForgetsThePassword();
    void withoutAKeyringRememberIsDisabledAndSaysWhy();

private:
    // Answers the sign-in windows with these passwords, the last one with remember.
    void answer(const QStringList &passwords, bool remember = false, int cancelAt = -1);
    void requireKeyring();

    QString m_admin;
    QString m_database;
    QString m_url; // the role's, without its password
    bool m_ownDatabase = false;
    std::unique_ptr<RecordingSeams> m_seams;
    QList<Shown> m_shown;
};

void TestSignIn::initTestCase()
{
    REQUIRE_PACKAGE(TestDb::serverUnavailable().isEmpty(), TestDb::serverUnavailable());
    m_admin = qEnvironmentVariable("PROJECTSALES_TEST_PG");
    // A child run of one case signs in to its parent's database.
    m_database = qEnvironmentVariable("PROJECTSALES_TEST_SIGNIN_DB");
    m_ownDatabase = m_database.isEmpty();
    if (m_ownDatabase)
        m_database = QStringLiteral("signin_%1").arg(QCoreApplication::applicationPid());
    QUrl url(m_admin);
    url.setUserName(Role);
    url.setPath(QLatin1Char('/') + m_database);
    m_url = url.toString();
    if (!m_ownDatabase)
        return;
    {
        Database admin(QStringLiteral("signin-admin"));
        admin.open(m_admin);
        runDirect(admin, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_database));
        runDirect(admin, QStringLiteral("DROP ROLE IF EXISTS %1").arg(Role));
        runDirect(admin, QStringLiteral("SET password_encryption = 'scram-sha-256'"));
        runDirect(admin, QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(Role, Right));
        runDirect(admin, QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(m_database, Role));
    }
    url.setPassword(Right);
    Database::create(url.toString(QUrl::FullyEncoded));
    // The server must ask: a trusted role would pass every case unseen.
    try {
        Database probe(QStringLiteral("signin-probe"));
        probe.open(m_url);
        QFAIL("the test server lets ps_password in without a password (see tools/test-server.sh)");
    } catch (const DataError &e) {
        QVERIFY2(ServerEngine::asksForPassword(e), qPrintable(e.text()));
    }
}

void TestSignIn::init()
{
    m_seams = std::make_unique<RecordingSeams>();
    m_shown.clear();
    qunsetenv("PGPASSWORD");
    qputenv("PGPASSFILE", "/nonexistent");
    ServerEngine::setRunPassword(m_url, QString());
    // The user's own keyring is never touched: with-keyring.sh gives one of its own.
    if (!qEnvironmentVariableIsSet("PROJECTSALES_TEST_KEYRING_SKIP") && seams().keyring.unavailable().isEmpty())
        seams().keyring.forget(signInKey(m_url));
}

void TestSignIn::cleanup()
{
    destroyWindowSet();
    m_seams.reset();
}

void TestSignIn::cleanupTestCase()
{
    if (!m_ownDatabase)
        return;
    try {
        Database admin(QStringLiteral("signin-admin"));
        admin.open(m_admin);
        runDirect(admin, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database));
    } catch (...) {
        // The server goes with the test run.
    }
}

void TestSignIn::answer(const QStringList &passwords, bool remember, int cancelAt)
{
    m_shown.clear();
    m_seams->dialogs.clear();
    for (int i = 0; i < passwords.size() || i == cancelAt; ++i)
        m_seams->dialogAnswers.enqueue(i == cancelAt ? QDialog::Rejected : QDialog::Accepted);
    auto queue = std::make_shared<QStringList>(passwords);
    m_seams->onDialog = [this, queue, remember](QDialog *d) {
        auto *dialog = qobject_cast<SignInDialog *>(d);
        QVERIFY(dialog);
        m_shown.append({dialog->labelRefusal->isHidden() ? QString() : dialog->labelRefusal->text(),
                        dialog->checkRemember->isEnabled(), dialog->checkRemember->isChecked(),
                        dialog->checkRemember->toolTip()});
        if (queue->isEmpty())
            return;
        dialog->editPassword->setText(queue->takeFirst());
        dialog->checkRemember->setChecked(remember && queue->isEmpty());
    };
}

void TestSignIn::requireKeyring()
{
    const QString skip = qEnvironmentVariable("PROJECTSALES_TEST_KEYRING_SKIP");
    REQUIRE_PACKAGE(skip.isEmpty(), QStringLiteral("no keyring: ") + skip);
    const QString why = seams().keyring.unavailable();
    REQUIRE_PACKAGE(why.isEmpty(), QStringLiteral("no keyring (run through tests/scripts/with-keyring.sh): ") + why);
}

// The server asks: the window shows where the user signs in; a wrong
// password is said so, and the third, or "Отмена", ends the start with the
// message a refused start always gave.
void TestSignIn::wrongPasswordsEndTheStartAfterThreeTriesOrCancel()
{
    seams().keyring.unavailable = [] { return QStringLiteral("нет связки ключей"); };
    seams().keyring.read = [](const QString &) { return QString(); };
    answer({"неверный", "тоже неверный", "снова неверный"});
    QVERIFY(!signInToServer(m_url));
    QCOMPARE(m_seams->dialogs, QStringList({"dlgSignIn", "dlgSignIn", "dlgSignIn"}));
    QCOMPARE(m_shown[0].refusal, QString());
    QCOMPARE(m_shown[1].refusal, QString("Сервер не принял пароль. Осталось попыток: 2."));
    QCOMPARE(m_shown[2].refusal, QString("Сервер не принял пароль. Осталось попыток: 1."));
    QCOMPARE(m_seams->errors.size(), 1);
    const QString refused = QStringLiteral("Сервер базы данных отказал во входе пользователю \"%1\": "
                                           "неверное имя пользователя или пароль.").arg(Role);
    QVERIFY2(m_seams->errors[0].startsWith(refused), qPrintable(m_seams->errors[0]));

    m_seams->clear();
    answer({}, false, 0);
    QVERIFY(!signInToServer(m_url));
    QCOMPARE(m_seams->dialogs.size(), 1);
    QVERIFY2(m_seams->errors.value(0).startsWith(refused), qPrintable(m_seams->errors.value(0)));
    QVERIFY(!startWindowSet(m_url)); // nothing got in for the run
}

// ~/.pgpass and PGPASSWORD answer the server before any window.
void TestSignIn::libpqsOwnWaysComeFirst()
{
    QTemporaryFile pgpass;
    QVERIFY(pgpass.open());
    pgpass.write(QStringLiteral("*:*:%1:%2:%3\n").arg(m_database, Role, Right).toUtf8());
    pgpass.close();
    QFile::setPermissions(pgpass.fileName(), QFile::ReadOwner | QFile::WriteOwner);
    qputenv("PGPASSFILE", QFile::encodeName(pgpass.fileName()));
    QVERIFY(signInToServer(m_url));
    qputenv("PGPASSFILE", "/nonexistent");
    qputenv("PGPASSWORD", Right.toUtf8());
    QVERIFY(signInToServer(m_url));
    QVERIFY(m_seams->dialogs.isEmpty());
    QVERIFY(m_seams->errors.isEmpty());
}

// Remembered, the password opens the next start without a window; signing
// in without "Запомнить пароль" takes it out of the keyring again.
void TestSignIn::theKeyringKeepsAndForgetsThePassword()
{
    requireKeyring();
    const QString key = signInKey(m_url);
    answer({"неверный", Right}, true);
    QVERIFY(signInToServer(m_url));
    QCOMPARE(m_seams->dialogs.size(), 2);
    QVERIFY(m_shown[0].rememberEnabled);
    QCOMPARE(desktopKeyring().read(key), Right);
    // The run's connections use it: the data module opens the catalogue.
    QVERIFY2(startWindowSet(m_url), qPrintable(m_seams->errors.join('\n')));
    destroyWindowSet();

    ServerEngine::setRunPassword(m_url, QString()); // a new start
    m_seams->clear();
    QVERIFY(signInToServer(m_url));
    QVERIFY(m_seams->dialogs.isEmpty());

    // A kept password the server no longer takes: asked again, "Запомнить" ticked.
    ServerEngine::setRunPassword(m_url, QString());
    QVERIFY(desktopKeyring().write(key, "устаревший"));
    answer({Right}, false);
    QVERIFY(signInToServer(m_url));
    QCOMPARE(m_seams->dialogs.size(), 1);
    QVERIFY(m_shown[0].rememberChecked);
    QCOMPARE(desktopKeyring().read(key), QString());
}

// A start where no keyring answers (no D-Bus session): the window still
// signs in, with "Запомнить пароль" disabled and its tip saying why. Run in
// a child without the session, since a process keeps the bus it found.
void TestSignIn::withoutAKeyringRememberIsDisabledAndSaysWhy()
{
    if (!qEnvironmentVariableIsSet("PROJECTSALES_TEST_NO_BUS")) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PROJECTSALES_TEST_NO_BUS", "1");
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        env.insert("PROJECTSALES_TEST_SIGNIN_DB", m_database);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"withoutAKeyringRememberIsDisabledAndSaysWhy"});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitCode() == 0 && output.contains("PASS   : TestSignIn::withoutAKeyringRememberIsDisabledAndSaysWhy"),
                 output.constData());
        return;
    }
    const QString why = desktopKeyring().unavailable();
    QVERIFY2(why.startsWith("Пароль негде сохранить"), qPrintable(why));
    answer({Right}, true);
    QVERIFY(signInToServer(m_url));
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(!m_shown[0].rememberEnabled);
    QCOMPARE(m_shown[0].rememberTip, why);
    QVERIFY(m_seams->notices.isEmpty()); // nothing was to be kept
}

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestSignIn test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_signin.moc"
