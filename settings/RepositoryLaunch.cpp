// A double click on the project grid opens the project's repository path in
// the repository browser.

#include "settings/RepositoryLaunch.h"

#include "app/Messages.h"
#include "app/Seams.h"
#include "data/module/UnitDM.h"

namespace {

const QString LaunchCaption = QStringLiteral("Запуск репозитория");

} // namespace

QString repositoryBrowserParameters(const QString &address, const QString &path)
{
    // Both values go in as stored: no trimming, no escaping.
    return QStringLiteral("/command:repobrowser /path:\"svn://") + address + QLatin1Char('/') + path
        + QStringLiteral("\" >> NUL");
}

void launchRepositoryBrowser(QWidget *parent)
{
    if (Dm->tblConfigs->recordCount() <= 0)
        return;
    const QString path = Dm->tblProjectpath_repository->asString();
    if (path.isEmpty())
        return;
    const QString address = Dm->tblConfigsrepository_ip->asString();
    if (address.isEmpty()) {
        showNotice(parent, LaunchCaption, QStringLiteral("Не введен IP адрес репозитория"));
        return;
    }
    // The value goes inside quotes: a quote of its own would end them and
    // pass the rest to the browser as further arguments.
    const QChar quote = QLatin1Char('"');
    if (address.contains(quote) || path.contains(quote)) {
        showNotice(parent, LaunchCaption,
                   QStringLiteral("%1 репозитория содержит недопустимый символ «\"». Браузер репозитория не запущен.")
                       .arg(address.contains(quote) ? QStringLiteral("Адрес") : QStringLiteral("Путь")));
        return;
    }
    const QString parameters = repositoryBrowserParameters(address, path);
    const QString browser = Dm->tblConfigspath_TortoiseSVN->asString();
    if (browser.isEmpty()) {
        showNotice(parent, LaunchCaption, QStringLiteral("Не введен путь к TortoiseSVN"));
        return;
    }
    seams().startProgram(browser, parameters); // a failed start shows nothing
}
