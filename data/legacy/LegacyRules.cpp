#include "data/legacy/LegacyRules.h"

#include <QTextBoundaryFinder>

namespace LegacyRules {

namespace {

Column column(const char *name, Kind kind, int limit = 0, const char *to = "", bool nullable = false)
{
    return {QString::fromLatin1(name), kind, limit, QString::fromLatin1(to), nullable};
}
Column key(const char *name) { return column(name, Kind::Key); }
Column ref(const char *name, const char *to, bool nullable = false) { return column(name, Kind::Ref, 0, to, nullable); }
Column text(const char *name, Kind kind, int limit) { return column(name, kind, limit); }
Column plain(const char *name, Kind kind) { return column(name, kind); }

} // namespace

const QVector<Table> &tables()
{
    static const QVector<Table> all{
        {QStringLiteral("category"), QStringLiteral("Категории"), {key("cat_id"), text("catName", Kind::Name, 50)}},
        {QStringLiteral("years"), QStringLiteral("Годы разработки"), {key("year_id"), text("name", Kind::Name, 4)}},
        {QStringLiteral("ide"), QStringLiteral("Версии IDE"), {key("version_id"), text("ide", Kind::Name, 25)}},
        {QStringLiteral("projects"), QStringLiteral("Проекты"),
         {key("project_id"), ref("cat_id", "category"), ref("year_id", "years"), ref("version_id", "ide", true),
          text("tovName", Kind::Name, 100), plain("price", Kind::Money), plain("description", Kind::Memo),
          plain("screenshots", Kind::Picture), plain("project_begin", Kind::Date), plain("project_end", Kind::Date),
          plain("datetime_update", Kind::Date), text("path_repository", Kind::Text, 255),
          plain("isExports", Kind::Flag), plain("isExportsDesc", Kind::Flag)}},
        {QStringLiteral("orders"), QStringLiteral("Продажи"),
         {key("order_id"), ref("project_id", "projects"), plain("date_orders", Kind::Date), plain("summ", Kind::Money),
          text("comments", Kind::Text, 255)}},
        {QStringLiteral("configs"), QStringLiteral("Настройки"),
         {text("repository_ip", Kind::Text, 15), text("path_TortoiseSVN", Kind::Text, 255)}},
    };
    return all;
}

const Table &table(const QString &name)
{
    for (const Table &t : tables())
        if (t.name == name)
            return t;
    Q_UNREACHABLE();
}

int Table::keyColumn() const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].kind == Kind::Key)
            return i;
    return -1;
}

int Table::columnIndex(const QString &column) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].name == column)
            return i;
    return -1;
}

int length(QStringView text)
{
    int n = 0;
    for (int i = 0; i < text.size(); ++i)
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
            ++n;
    return n;
}

QString cut(const QString &text, int limit)
{
    if (length(text) <= limit)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    int counted = 0;
    for (qsizetype at = graphemes.toNextBoundary(); at > 0; at = graphemes.toNextBoundary()) {
        counted += length(QStringView(text).mid(end, at - end));
        if (counted > limit)
            break;
        end = at;
    }
    return text.left(end);
}

QString unique(const QString &base, int limit, QSet<QString> &taken, Series series)
{
    // A short column (the year's four characters) gets no space before the number.
    const QString space = limit < 10 ? QString() : QStringLiteral(" ");
    for (int n = series == Series::Number ? 1 : 0;; ++n) {
        QString suffix;
        if (series == Series::Number)
            suffix = space + QString::number(n);
        else if (n > 0)
            suffix = space + QStringLiteral("(%1)").arg(n + 1);
        const QString candidate = cut(base, qMax(0, limit - length(suffix))) + suffix;
        if (length(candidate) <= limit && !candidate.isEmpty() && !taken.contains(candidate)) {
            taken.insert(candidate);
            return candidate;
        }
    }
}

} // namespace LegacyRules
