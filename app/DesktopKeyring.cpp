#include "app/DesktopKeyring.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("projectsales");

// QtKeychain answers through a signal: the caller waits for it here.
void runJob(QKeychain::Job &job, const QString &key)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(key);
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    job.start();
    if (!done) // a job that fails at once has finished already
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

QString read(const QString &key)
{
    QKeychain::ReadPasswordJob job(Service);
    runJob(job, key);
    return job.error() == QKeychain::NoError ? job.textData() : QString();
}

bool write(const QString &key, const QString &password)
{
    QKeychain::WritePasswordJob job(Service);
    job.setTextData(password);
    runJob(job, key);
    return job.error() == QKeychain::NoError;
}

void forget(const QString &key)
{
    QKeychain::DeletePasswordJob job(Service);
    runJob(job, key);
}

// A look for a key nobody writes: "not found" is the answer of a keyring
// that runs; anything else says why there is none.
QString unavailable()
{
    QKeychain::ReadPasswordJob job(Service);
    runJob(job, QStringLiteral("(probe)"));
    if (job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound)
        return {};
    const QString why = job.errorString().trimmed();
    return QStringLiteral("Пароль негде сохранить: связки ключей рабочего стола нет или она не отвечает%1")
        .arg(why.isEmpty() ? QStringLiteral(".") : QStringLiteral(" (%1).").arg(why));
}

} // namespace

Keyring desktopKeyring()
{
    return {unavailable, read, write, forget};
}
