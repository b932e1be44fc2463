#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <unistd.h>
#endif

// A case whose outside part (a Debian package that tools/deps.sh installs) is
// missing skips with why; under CI (CI=true) that part must be there, so the
// case fails instead of passing unseen.
#define REQUIRE_PACKAGE(present, why)                                                              \
    do {                                                                                           \
        if (!(present)) {                                                                          \
            const QString why_ = (why);                                                            \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                               \
                QFAIL(qPrintable(QStringLiteral("missing on a CI run: ") + why_));                 \
            QSKIP(qPrintable(why_));                                                               \
        }                                                                                          \
    } while (false)

#ifdef Q_OS_UNIX
struct ChildRun
{
    bool passed = false;
    QByteArray output;
};

// The current test function run again by this suite's program as nobody.
inline ChildRun runCurrentCaseAsNobody()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), QDir::tempPath());
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([] {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(126);
    });
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    child.start(QCoreApplication::applicationFilePath(), {function});
    ChildRun run;
    if (!child.waitForFinished(120000))
        child.kill();
    run.output = child.readAll();
    run.passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
        && run.output.contains("::" + QByteArray(QTest::currentTestFunction()) + "()")
        && !run.output.contains("SKIP   : ");
    return run;
}

// Root writes any file: a case about read-only files runs as nobody in a
// child process, and passes here when it passed there.
#define RUN_AS_NOBODY_WHEN_ROOT()                                                                  \
    do {                                                                                           \
        if (geteuid() == 0) {                                                                      \
            const ChildRun run_ = runCurrentCaseAsNobody();                                        \
            QVERIFY2(run_.passed, run_.output.constData());                                        \
            return;                                                                                \
        }                                                                                          \
    } while (false)
#else
#define RUN_AS_NOBODY_WHEN_ROOT() do { } while (false)
#endif
