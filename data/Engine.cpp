#include "Engine.h"

#include "DataError.h"
#include "DatabaseErrors.h"
#include "EngineFile.h"
#include "EngineServer.h"

#include <QRegularExpression>

bool Engine::isServerUrl(const QString &location)
{
    static const QRegularExpression scheme(QStringLiteral("^postgres(ql)?://"),
                                           QRegularExpression::CaseInsensitiveOption);
    return scheme.match(location.trimmed()).hasMatch();
}

std::unique_ptr<Engine> Engine::forLocation(const QString &location)
{
    if (isServerUrl(location))
        return std::make_unique<ServerEngine>();
    return std::make_unique<FileEngine>();
}

bool Engine::hasTable(const Database &db, const QString &table) const
{
    return !columns(db, table).isEmpty();
}

DataError Engine::translate(const QSqlError &e) const
{
    return databaseError(e);
}

void Engine::connect(QSqlDatabase &, const QString &) const
{
    throw DataError(QStringLiteral("Этот вид базы данных открывается как файл."));
}

const QVector<CatalogueTable> &catalogueTables()
{
    static const QVector<CatalogueTable> tables{
        {QStringLiteral("category"), QStringLiteral("cat_id")},
        {QStringLiteral("years"), QStringLiteral("year_id")},
        {QStringLiteral("ide"), QStringLiteral("version_id")},
        {QStringLiteral("projects"), QStringLiteral("project_id")},
        {QStringLiteral("orders"), QStringLiteral("order_id")},
        {QStringLiteral("configs"), QString()},
    };
    return tables;
}

QStringList splitStatements(const QString &script)
{
    QString text;
    for (const QString &line : script.split(QLatin1Char('\n')))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            text += line + QLatin1Char('\n');
    // A function's body between $$ marks keeps its own semicolons.
    QStringList statements;
    QString current;
    bool inBody = false;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('$') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('$')) {
            inBody = !inBody;
            current += QLatin1String("$$");
            ++i;
        } else if (text.at(i) == QLatin1Char(';') && !inBody) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
        } else {
            current += text.at(i);
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}
