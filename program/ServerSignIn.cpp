#include "program/ServerSignIn.h"

#include "app/Messages.h"
#include "app/Seams.h"
#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"
#include "data/engine/EngineServer.h"
#include "settings/SignInDialog.h"

#include <QUrl>
#include <QUrlQuery>

namespace {

const int Tries = 3;

// Connects once with the password (none: libpq's own ways) and closes
// again; throws what the connection met.
void tryConnect(const QString &location, const QString &password)
{
    ServerEngine::setRunPassword(location, password);
    try {
        Database probe(QStringLiteral("signin"));
        probe.open(location);
    } catch (...) {
        ServerEngine::setRunPassword(location, QString());
        throw;
    }
}

SignInDialog::Target targetOf(const QString &location)
{
    const QUrl url(location.trimmed());
    QString server = url.host();
    if (server.isEmpty())
        server = QUrlQuery(url).queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (server.isEmpty())
        server = QStringLiteral("этот компьютер");
    if (url.port() > 0)
        server += QStringLiteral(":%1").arg(url.port());
    QString user = url.userName();
    if (user.isEmpty())
        user = qEnvironmentVariable("PGUSER", qEnvironmentVariable("USER"));
    return {server, url.path(QUrl::FullyDecoded).mid(1), user};
}

// What the user chose about the keyring, once the password got in.
void keepAsAsked(const QString &key, const SignInDialog &dialog, bool wasKept)
{
    if (dialog.remember()) {
        if (!seams().keyring.write(key, dialog.password()))
            showNotice(nullptr, dialog.windowTitle(),
                       QStringLiteral("Пароль не удалось сохранить в связке ключей рабочего стола; "
                                      "при следующем запуске его нужно будет ввести снова."));
    } else if (wasKept) {
        seams().keyring.forget(key);
    }
}

bool askPassword(const QString &location, bool wasKept, DataError refusal)
{
    const QString key = signInKey(location);
    SignInDialog dialog(targetOf(location), seams().keyring.unavailable());
    dialog.setRemember(wasKept);
    for (int left = Tries - 1; left >= 0; --left) {
        if (seams().modal(&dialog) != QDialog::Accepted)
            break;
        try {
            tryConnect(location, dialog.password());
            keepAsAsked(key, dialog, wasKept);
            return true;
        } catch (const DataError &e) {
            if (!ServerEngine::asksForPassword(e)) {
                showStandardError(nullptr, e.text());
                return false;
            }
            refusal = e;
            dialog.setRefusal(QStringLiteral("Сервер не принял пароль. Осталось попыток: %1.").arg(left));
        }
    }
    showStandardError(nullptr, refusal.text());
    return false;
}

} // namespace

QString signInKey(const QString &location)
{
    return ServerEngine::withoutPassword(location);
}

bool signInToServer(const QString &location)
{
    if (!Engine::isServerUrl(location) || !QUrl(location.trimmed()).password().isEmpty())
        return true;
    try {
        tryConnect(location, QString());
        return true;
    } catch (const DataError &e) {
        if (!ServerEngine::asksForPassword(e)) {
            showStandardError(nullptr, e.text());
            return false;
        }
        const QString kept = seams().keyring.read(signInKey(location));
        if (!kept.isEmpty()) {
            try {
                tryConnect(location, kept);
                return true;
            } catch (const DataError &again) {
                if (!ServerEngine::asksForPassword(again)) {
                    showStandardError(nullptr, again.text());
                    return false;
                }
            }
        }
        return askPassword(location, !kept.isEmpty(), e);
    }
}
