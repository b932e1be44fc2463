#include "data/engine/Engine.h"

#include "data/core/DataError.h"
#include "data/engine/DatabaseErrors.h"
#include "data/engine/EngineFile.h"
#include "data/engine/EngineServer.h"

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

namespace {

// A dollar-quoted body of the server ($$ ... $$ or $tag$ ... $tag$) at i, or none.
QString dollarTag(const QString &script, qsizetype i)
{
    static const QRegularExpression tag(QStringLiteral("\\$([A-Za-z_][A-Za-z0-9_]*)?\\$"));
    const QRegularExpressionMatch m = tag.match(script, i, QRegularExpression::NormalMatch,
                                                QRegularExpression::AnchorAtOffsetMatchOption);
    return m.hasMatch() ? m.captured(0) : QString();
}

} // namespace

// A ';' ends a statement except inside quotes, comments, a server's dollar-quoted
// function body, and the BEGIN ... END of a file's trigger (whose CASE ... END
// are counted too, as they end in the same word).
QStringList splitStatements(const QString &script)
{
    QStringList statements;
    QString current;
    QStringList leadingWords;
    int depth = 0;
    const qsizetype n = script.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = script.at(i);
        if (c == QLatin1Char('-') && i + 1 < n && script.at(i + 1) == QLatin1Char('-')) {
            i = script.indexOf(QLatin1Char('\n'), i);
            i = i < 0 ? n : i;
            continue;
        }
        qsizetype end = i + 1;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            end = script.indexOf(c, i + 1);
            end = end < 0 ? n : end + 1;
        } else if (c == QLatin1Char('$') && !dollarTag(script, i).isEmpty()) {
            const QString tag = dollarTag(script, i);
            end = script.indexOf(tag, i + tag.size());
            end = end < 0 ? n : end + tag.size();
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            while (end < n && (script.at(end).isLetterOrNumber() || script.at(end) == QLatin1Char('_')))
                ++end;
            const QString word = script.mid(i, end - i).toUpper();
            if (leadingWords.size() < 4)
                leadingWords << word;
            const bool trigger = leadingWords.value(0) == QLatin1String("CREATE")
                && leadingWords.mid(1).contains(QLatin1String("TRIGGER"));
            if (trigger && (word == QLatin1String("BEGIN") || word == QLatin1String("CASE")))
                ++depth;
            else if (trigger && word == QLatin1String("END") && depth > 0)
                --depth;
        } else if (c == QLatin1Char(';') && depth == 0) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
            leadingWords.clear();
            ++i;
            continue;
        }
        current += QStringView(script).mid(i, end - i);
        i = end;
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}
