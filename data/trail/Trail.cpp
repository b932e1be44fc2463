#include "data/trail/Trail.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"
#include "data/engine/Engine.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>
#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

const QString kPart = QStringLiteral("trail_");

// The schema's statements of the trail: all of them, and only they, carry its prefix.
QStringList trailStatements(const Database &db)
{
    QStringList statements;
    for (const QString &s : splitStatements(db.engine().schemaSql()))
        if (s.contains(kPart))
            statements << s;
    return statements;
}

// Helpers and triggers are made anew; a table is made, with its indexes,
// only where it is missing, so nothing deleted or recorded is lost.
void makeInside(Database &db)
{
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+)"));
    static const QRegularExpression index(QStringLiteral("^CREATE (?:UNIQUE )?INDEX \\w+ ON (\\w+)"));
    QStringList script;
    for (const QString &drop : db.engine().dropStatements(db, kPart))
        if (!drop.startsWith(QLatin1String("DROP TABLE")))
            script << drop;
    QStringList made;
    for (const QString &s : trailStatements(db)) {
        const QRegularExpressionMatch t = table.match(s), i = index.match(s);
        if (t.hasMatch()) {
            if (db.engine().hasTable(db, t.captured(1)))
                continue;
            made << t.captured(1);
        } else if (i.hasMatch() && !made.contains(i.captured(1))) {
            continue;
        }
        script << s;
    }
    db.runScript(script.join(QStringLiteral(";\n")));
}

// Writers of the file take turns, so the row is seen by this transaction's
// triggers only; a random number tells the transaction apart.
void nameTheWriter(Database &db)
{
    if (db.engine().kind() != Engine::Kind::File || db.isReadOnly())
        return;
    struct Statements {
        QSqlQuery clear, name;
    };
    auto s = std::make_shared<Statements>();
    s->clear = db.prepare(QStringLiteral("DELETE FROM trail_writer"));
    s->name = db.prepare(QStringLiteral("INSERT INTO trail_writer (name, tx) VALUES (?, ?)"));
    const QString user = Trail::loginName();
    const auto run = [](Database &d, QSqlQuery &q) {
        const bool done = q.exec();
        q.finish();
        if (!done)
            throw d.engine().translate(q.lastError());
    };
    db.setTransactionHooks(
        [s, user, run](Database &d) {
            run(d, s->clear);
            s->name.bindValue(0, user.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(user));
            s->name.bindValue(1, qint64(QRandomGenerator::global()->generate64() >> 1));
            run(d, s->name);
        },
        [s, run](Database &d) { run(d, s->clear); });
}

// The history's triggers: their statements and, at the same place, how to drop them.
QStringList historyTriggers(const Database &db, QStringList *drops)
{
    static const QRegularExpression trigger(
        QStringLiteral("^CREATE TRIGGER ((?:projects|orders|category|years|ide)_trail_history\\w*) .*? ON (\\w+)"),
        QRegularExpression::DotMatchesEverythingOption);
    const bool file = db.engine().kind() == Engine::Kind::File;
    QStringList made;
    for (const QString &s : trailStatements(db)) {
        const QRegularExpressionMatch m = trigger.match(s);
        if (!m.hasMatch())
            continue;
        made << s;
        *drops << (file ? QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(m.captured(1))
                        : QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(m.captured(1), m.captured(2)));
    }
    return made;
}

} // namespace

namespace Trail {

void withoutHistory(Database &db, const std::function<void()> &load)
{
    db.transaction([&] {
        if (!present(db)) {
            load();
            return;
        }
        QStringList drops;
        const QStringList made = historyTriggers(db, &drops);
        db.runScript(drops.join(QStringLiteral(";\n")));
        load();
        db.runScript(made.join(QStringLiteral(";\n")));
    });
}

bool present(const Database &db)
{
    return db.engine().holdsExactly(db, trailStatements(db), kPart);
}

bool ensure(Database &db)
{
    if (!present(db)) {
        if (db.isReadOnly())
            return false;
        try {
            db.transaction([&] {
                if (!present(db)) // or made by another program meanwhile
                    makeInside(db);
            });
        } catch (const DataError &) {
            // Busy, or no right to change the catalogue's tables.
        }
        if (!present(db))
            return false;
    }
    nameTheWriter(db);
    return true;
}

const QVector<CatalogueTable> &tables()
{
    static const QVector<CatalogueTable> list{{QStringLiteral("trail_bin"), QStringLiteral("entry_id")},
                                              {QStringLiteral("trail_bin_projects"), QString()},
                                              {QStringLiteral("trail_bin_orders"), QString()},
                                              {QStringLiteral("trail_history"), QStringLiteral("change_id")}};
    return list;
}

QString loginName()
{
    for (const char *name : {"USER", "USERNAME", "LOGNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user;
    }
#ifdef Q_OS_UNIX
    // A program started by a service or cron has none of them set.
    if (const passwd *account = getpwuid(geteuid()))
        return QString::fromLocal8Bit(account->pw_name);
#endif
    return {};
}

} // namespace Trail
