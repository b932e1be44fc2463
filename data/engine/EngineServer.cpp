#include "data/engine/EngineServer.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/DatabaseErrors.h"
#include "SchemaSql.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <clocale>
#include <string>

namespace {

// The parts of a postgresql:// URL that the driver takes one by one.
struct ServerUrl {
    QString host, user, password, database;
    int port = -1;
    QStringList options; // libpq parameters from the query part (sslmode=, host= ...)
    QString error;       // why the text is no URL of a server database
};

QString quotedOption(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// The driver would cut a text at a NUL and connect with what comes before.
QString nulIn(const ServerUrl &u, const QUrlQuery &query)
{
    const QChar nul(0);
    const QString said = QStringLiteral(" есть нулевой символ (%00)");
    for (const auto &[part, name] : {std::pair{u.user, "в имени пользователя"}, std::pair{u.password, "в пароле"},
                                     std::pair{u.host, "в имени сервера"}, std::pair{u.database, "в имени базы данных"}})
        if (part.contains(nul))
            return QString::fromUtf8(name) + said;
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded))
        if (key.contains(nul) || value.contains(nul))
            return QStringLiteral("в параметре \"") + QString(key).remove(nul) + QLatin1Char('"') + said;
    return {};
}

ServerUrl parseUrl(const QString &location)
{
    ServerUrl u;
    const QUrl url(location.trimmed(), QUrl::StrictMode);
    if (!url.isValid()) {
        u.error = url.errorString();
        return u;
    }
    u.host = url.host();
    u.port = url.port();
    u.user = url.userName();
    u.password = url.password();
    u.database = url.path(QUrl::FullyDecoded).mid(1);
    if (u.database.isEmpty() || u.database.contains(QLatin1Char('/')))
        u.error = QStringLiteral("в адресе нет имени базы данных (postgresql://пользователь@сервер:порт/база)");
    if (const QString nul = nulIn(u, QUrlQuery(url)); !nul.isEmpty())
        u.error = nul;
    bool timeout = false;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        u.options << key + QLatin1Char('=') + quotedOption(value);
        timeout = timeout || key == QLatin1String("connect_timeout");
    }
    // An unreachable server should fail start-up soon, not after minutes.
    if (!timeout)
        u.options << QStringLiteral("connect_timeout=10");
    return u;
}

bool containsAny(const QString &text, std::initializer_list<const char *> parts)
{
    for (const char *p : parts)
        if (text.contains(QLatin1String(p), Qt::CaseInsensitive))
            return true;
    return false;
}

// libpq's messages in English whatever the user's language, so that they
// can be told apart; the Russian first line is the program's own.
bool openInEnglish(QSqlDatabase &db)
{
#ifdef LC_MESSAGES
    const char *current = std::setlocale(LC_MESSAGES, nullptr);
    const std::string saved = current ? current : "";
    std::setlocale(LC_MESSAGES, "C");
    const bool ok = db.open();
    std::setlocale(LC_MESSAGES, saved.c_str());
    return ok;
#else
    return db.open();
#endif
}

DataError connectError(const QString &shown, const ServerUrl &u, const QString &text)
{
    QString first;
    if (containsAny(text, {"invalid connection option", "invalid sslmode", "invalid integer value",
                           "invalid port", "invalid value", "missing \"=\""}))
        first = QStringLiteral("Неверный адрес базы данных \"%1\".").arg(shown);
    else if (containsAny(text, {"authentication failed", "no password supplied", "pg_hba.conf",
                                "password is required", "role \""}))
        first = QStringLiteral("Сервер базы данных отказал во входе пользователю \"%1\": "
                               "неверное имя пользователя или пароль.")
                    .arg(u.user.isEmpty() ? QStringLiteral("(по умолчанию)") : u.user);
    else if (text.contains(QLatin1String("database \"")) && text.contains(QLatin1String("does not exist")))
        first = QStringLiteral("На сервере нет базы данных \"%1\".").arg(u.database);
    else
        first = QStringLiteral("Не удается связаться с сервером базы данных \"%1\".").arg(shown);
    return DataError(first + QLatin1Char('\n') + text.simplified(), DataError::Kind::Connection);
}

// Passwords given at sign-in, by the address without one.
QHash<QString, QString> &runPasswords()
{
    static QHash<QString, QString> passwords;
    return passwords;
}

} // namespace

QString ServerEngine::withoutPassword(const QString &location)
{
    QUrl url(location.trimmed());
    url.setPassword(QString());
    return url.toString();
}

bool ServerEngine::asksForPassword(const DataError &e)
{
    // libpq's words come in English (openInEnglish): a password helps only
    // where the server asked for one or refused the one given.
    return e.kind() == DataError::Kind::Connection
        && containsAny(e.detail(), {"password authentication failed", "no password supplied", "password is required"});
}

void ServerEngine::setRunPassword(const QString &location, const QString &password)
{
    if (password.isEmpty())
        runPasswords().remove(withoutPassword(location));
    else
        runPasswords().insert(withoutPassword(location), password);
}

ServerEngine::ServerEngine()
{
    static const QRegularExpression quoted(QStringLiteral("\"([A-Za-z_][A-Za-z0-9_]*)\""));
    for (auto it = quoted.globalMatch(schemaSql()); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (name != name.toLower())
            m_quoted.insert(name.toLower(), name);
    }
}

QString ServerEngine::schemaSql() const
{
    return QString::fromUtf8(kSchemaPgSql) + QString::fromUtf8(kChangesPgSql);
}

QString ServerEngine::dialect(const QString &sql) const
{
    QString out;
    out.reserve(sql.size() + 16);
    const int n = int(sql.size());
    for (int i = 0; i < n;) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Literals and identifiers already quoted stay as they are.
            int j = int(sql.indexOf(c, i + 1));
            j = j < 0 ? n : j + 1;
            out += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c.isLetterOrNumber() || c == QLatin1Char('_')) {
            int j = i;
            while (j < n && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')))
                ++j;
            const QString word = sql.mid(i, j - i);
            const auto it = m_quoted.constFind(word.toLower());
            // ":tovName" is a parameter, not a column.
            if (it != m_quoted.constEnd() && (i == 0 || sql.at(i - 1) != QLatin1Char(':')))
                out += QLatin1Char('"') + *it + QLatin1Char('"');
            else
                out += word;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString ServerEngine::packedRow(const QStringList &columns) const
{
    return QStringLiteral("ROW(%1)::text").arg(columns.join(QLatin1String(", ")));
}

void ServerEngine::settleAfterLoad(Database &db) const
{
    // Every sale loaded rewrote its month's total inside the one transaction:
    // the summary's rows stood in as many versions as there were sales, and
    // every start-up's totals read past them all. The planner also knows
    // nothing yet of the new rows. Without the owner's rights the server
    // only warns; the versions then wait for its autovacuum.
    try {
        db.runScript(QStringLiteral("VACUUM (FULL, ANALYZE) sales_month;\nANALYZE"));
    } catch (const DataError &) {
    }
}

QStringList ServerEngine::columns(const Database &db, const QString &table) const
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT column_name FROM information_schema.columns"
                                         " WHERE table_schema = current_schema() AND table_name = :t"
                                         " ORDER BY ordinal_position"),
                          {{QStringLiteral("t"), table}});
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

QStringList ServerEngine::tables(const Database &db) const
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT table_name FROM information_schema.tables"
                                         " WHERE table_schema = current_schema()"));
    QStringList names;
    while (q.next())
        names << q.value(0).toString().toLower();
    return names;
}

// SQLSTATE codes, not SQLite's numbers: the shared translation must not read them.
DataError ServerEngine::translate(const QSqlError &e) const
{
    const QString text = (e.databaseText().isEmpty() ? e.text() : e.databaseText()).simplified();
    const QString code = e.nativeErrorCode();
    if (code == QLatin1String("23505"))
        return databaseError(DataError::Kind::Unique, text);
    if (code == QLatin1String("55P03") || code == QLatin1String("40P01") || code == QLatin1String("40001"))
        return DataError(QStringLiteral("Данные заняты другим пользователем. Повторите попытку позже.\n") + text,
                         DataError::Kind::Locked);
    if (code == QLatin1String("25006") || code == QLatin1String("42501"))
        return DataError(QStringLiteral("Нет прав на изменение базы данных на сервере: изменения не сохранены.\n")
                             + text,
                         DataError::Kind::ReadOnly);
    if (code == QLatin1String("53100"))
        return DataError(QStringLiteral("На сервере базы данных нет места: изменения не сохранены.\n") + text,
                         DataError::Kind::DiskFull);
    return DataError(text);
}

QString ServerEngine::rowIdColumn(const Database &db, const QString &table) const
{
    const auto cached = m_rowIds.constFind(table);
    if (cached != m_rowIds.constEnd())
        return *cached;
    // From the catalog itself: information_schema shows a key only to those
    // who may change the table, so a user who may only read found none.
    QSqlQuery q = db.exec(QStringLiteral(
                              "SELECT a.attname FROM pg_index i"
                              " JOIN pg_class c ON c.oid = i.indrelid"
                              " JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (i.indkey)"
                              " WHERE i.indisprimary AND c.relnamespace = current_schema()::regnamespace"
                              "   AND c.relname = :t"),
                          {{QStringLiteral("t"), table}});
    if (!q.next())
        throw DataError(QStringLiteral("У таблицы \"%1\" на сервере нет первичного ключа.").arg(table),
                        DataError::Kind::Missing);
    const QString column = q.value(0).toString();
    m_rowIds.insert(table, column);
    return column;
}

QString ServerEngine::returningKey(const QString &sql, const QString &keyColumn) const
{
    return sql + QStringLiteral(" RETURNING ") + keyColumn;
}

QVariant ServerEngine::insertedKey(QSqlQuery &q) const
{
    return q.next() ? q.value(0) : QVariant();
}

qint64 ServerEngine::lastKey(const Database &db, const QString &table, const QString &keyColumn) const
{
    QSqlQuery seq = db.exec(QStringLiteral("SELECT pg_get_serial_sequence(:t, :c)"),
                            {{QStringLiteral("t"), table}, {QStringLiteral("c"), keyColumn}});
    if (!seq.next() || seq.value(0).isNull())
        return 0;
    // A sequence never used yet reports 1 as its last value.
    QSqlQuery q = db.exec(QStringLiteral("SELECT CASE WHEN is_called THEN last_value ELSE 0 END FROM %1")
                              .arg(seq.value(0).toString()));
    return q.next() ? q.value(0).toLongLong() : 0;
}

void ServerEngine::setLastKey(const Database &db, const QString &table, const QString &keyColumn, qint64 key) const
{
    if (key <= lastKey(db, table, keyColumn))
        return;
    db.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence(:t, :c), :k, true)"),
            {{QStringLiteral("t"), table}, {QStringLiteral("c"), keyColumn}, {QStringLiteral("k"), key}});
}

bool ServerEngine::isConnectionLost(const QSqlError &e) const
{
    // SQLSTATE class 08 is a connection failure, 57P0x a server shutting down.
    const QString code = e.nativeErrorCode();
    if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P0")))
        return true;
    return e.type() == QSqlError::ConnectionError
        || containsAny(e.databaseText() + e.driverText(),
                       {"server closed the connection", "no connection to the server",
                        "terminating connection", "connection to server was lost",
                        "could not send data to server", "could not receive data from server",
                        "SSL connection has been closed"});
}

void ServerEngine::connect(QSqlDatabase &db, const QString &location) const
{
    const QString shown = displayName(location);
    const ServerUrl u = parseUrl(location);
    if (!u.error.isEmpty())
        throw DataError(QStringLiteral("Неверный адрес базы данных \"%1\".\n%2").arg(shown, u.error),
                        DataError::Kind::Connection);
    db.setHostName(u.host);
    if (u.port > 0)
        db.setPort(u.port);
    db.setUserName(u.user);
    db.setPassword(u.password.isEmpty() ? runPasswords().value(withoutPassword(location)) : u.password);
    db.setDatabaseName(u.database);
    db.setConnectOptions(u.options.join(QLatin1Char(';')));
    // Sums of money come back as exact text, not as floating values.
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!openInEnglish(db))
        throw connectError(shown, u, db.lastError().databaseText().isEmpty() ? db.lastError().text()
                                                                             : db.lastError().databaseText());
}

QString ServerEngine::displayName(const QString &location) const
{
    return QUrl(location.trimmed()).isValid() ? withoutPassword(location) : location;
}

namespace {

// What the statements leave on the server, in the form read back below: a
// function by its name and body, a table and a trigger by their names.
QStringList madeBy(const QStringList &statements)
{
    static const QRegularExpression made(
        QStringLiteral("^CREATE\\s+(?:OR\\s+REPLACE\\s+)?(FUNCTION|TABLE|TRIGGER)\\s+(\\w+)"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList objects;
    for (const QString &s : statements) {
        const QRegularExpressionMatch m = made.match(s);
        if (!m.hasMatch())
            continue;
        const QString kind = m.captured(1).toLower();
        QString object = kind + QLatin1Char(' ') + m.captured(2).toLower();
        if (kind == QLatin1String("function")) {
            const qsizetype from = s.indexOf(QLatin1String("$$")), to = s.lastIndexOf(QLatin1String("$$"));
            object += QLatin1Char(' ') + s.mid(from + 2, to - from - 2).simplified();
        }
        objects << object;
    }
    objects.sort();
    return objects;
}

} // namespace

bool ServerEngine::holdsExactly(const Database &db, const QStringList &statements, const QString &part) const
{
    QSqlQuery q = db.exec(QStringLiteral(
                              "SELECT 'function ' || proname || ' ' || prosrc FROM pg_proc"
                              " WHERE pronamespace = current_schema()::regnamespace AND strpos(proname, :part) > 0"
                              " UNION ALL SELECT 'table ' || relname FROM pg_class"
                              " WHERE relnamespace = current_schema()::regnamespace AND relkind IN ('r', 'v')"
                              " AND strpos(relname, :part) > 0"
                              " UNION ALL SELECT 'trigger ' || t.tgname FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid"
                              " WHERE c.relnamespace = current_schema()::regnamespace AND NOT t.tgisinternal"
                              " AND strpos(t.tgname, :part) > 0"),
                          {{QStringLiteral("part"), part}});
    QStringList stored;
    while (q.next()) {
        const QString object = q.value(0).toString();
        const qsizetype body = object.startsWith(QLatin1String("function "))
            ? object.indexOf(QLatin1Char(' '), 9) : -1;
        stored << (body < 0 ? object.toLower() : object.left(body).toLower() + QLatin1Char(' ')
                                                   + object.mid(body + 1).simplified());
    }
    stored.sort();
    return stored == madeBy(statements);
}

QStringList ServerEngine::dropStatements(const Database &db, const QString &part) const
{
    // A function goes with the triggers that run it.
    QSqlQuery q = db.exec(QStringLiteral(
                              "SELECT 'DROP FUNCTION ' || oid::regprocedure::text || ' CASCADE' FROM pg_proc"
                              " WHERE pronamespace = current_schema()::regnamespace AND strpos(proname, :part) > 0"
                              " UNION ALL SELECT format('DROP TRIGGER %I ON %s', t.tgname, t.tgrelid::regclass)"
                              " FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid"
                              " WHERE c.relnamespace = current_schema()::regnamespace AND NOT t.tgisinternal"
                              " AND strpos(t.tgname, :part) > 0 AND strpos(t.tgfoid::regproc::text, :part) = 0"
                              " UNION ALL SELECT 'DROP ' || CASE relkind WHEN 'v' THEN 'VIEW ' ELSE 'TABLE ' END"
                              " || oid::regclass::text || ' CASCADE' FROM pg_class"
                              " WHERE relnamespace = current_schema()::regnamespace AND relkind IN ('r', 'v')"
                              " AND strpos(relname, :part) > 0"),
                          {{QStringLiteral("part"), part}});
    QStringList drops;
    while (q.next())
        drops << q.value(0).toString();
    return drops;
}
