#include "output/HtmlCatalog.h"

#include "data/core/Cp1251.h"

#include <QRegularExpression>

namespace HtmlCatalog {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString pictureFileName(const QString &projectId)
{
    return QStringLiteral("project_") + projectId + QStringLiteral(".bmp");
}

QStringList head(const QString &category, int count, const QDateTime &generated)
{
    const QString c = escaped(category);
    return {
        QStringLiteral("<html><head>"),
        QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"),
        QStringLiteral("<title>Категория: ") + c + QStringLiteral("</title>"),
        QStringLiteral("<link type=\"text/css\" href=\"css/style.css\" rel=\"stylesheet\">"),
        QStringLiteral("<link type=\"text/css\" href=\"css/jquery-ui.css\" rel=\"stylesheet\">"),
        QStringLiteral("<script src=\"js/jquery.js\"></script>"),
        QStringLiteral("<script src=\"js/jquery-ui.js\"></script>"),
        QStringLiteral("<script src=\"js/my-js.js\"></script>"),
        QStringLiteral("</head><body>"),
        QStringLiteral("<div id=\"carrier\">"),
        QStringLiteral("<div id=\"header\">Каталог проектов (") + c + QStringLiteral(")</div>"),
        QStringLiteral("<div id=\"content\">"),
        QStringLiteral("<div>"),
        QStringLiteral("<p>Количество проектов: <span class=\"number\">") + QString::number(count)
            + QStringLiteral("</span></p>"),
        QStringLiteral("<p>Файл сгенерирован: <span class=\"number\">")
            + generated.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) + QStringLiteral("</span></p>"),
        QStringLiteral("</div>"),
        QStringLiteral("<h2>Каталог проектов</h2>"),
        QStringLiteral("<div id=\"accordion\">"),
    };
}

void appendSection(QStringList &lines, const Project &p)
{
    lines << QStringLiteral("<h3>") + escaped(p.name) + QStringLiteral("</h3>")
          << QStringLiteral("<div>");
    if (!p.pictureFile.isEmpty())
        lines << QStringLiteral("<img class=\"projectImg\" width=\"400\" height=\"315\" src=\"images/")
                     + p.pictureFile + QStringLiteral("\" />");
    lines << QStringLiteral("<p>Код проекта: ") + p.id + QStringLiteral("</p>");
    if (!p.ide.isEmpty())
        lines << QStringLiteral("<p>Версия IDE: ") + escaped(p.ide) + QStringLiteral("</p>");
    lines << QStringLiteral("<p>Год разработки: ") + escaped(p.year) + QStringLiteral("</p>");
    if (!p.updated.isEmpty())
        lines << QStringLiteral("<p>Последнее обновление: ") + p.updated + QStringLiteral("</p>");
    lines << QStringLiteral("<p>Цена, руб: ") + p.price + QStringLiteral("</p>")
          << QStringLiteral("<br  clear=\"all\" />");
    if (p.withDescription)
        lines << QStringLiteral("<h3>Краткое описание проекта</h3>")
              << QStringLiteral("<p class=\"projectDesc\">")
              // A memo keeps bare LF; each of its lines becomes a page line, ended by CR LF.
              << p.description.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))
              << QStringLiteral("</p>");
    lines << QStringLiteral("</div>");
}

QStringList tail()
{
    return {
        QStringLiteral("</div>"),
        QStringLiteral("</div>"),
        QStringLiteral("<div id=\"footer\">&copy; Каталог программных проектов. Все права защищены.</div>"),
        QStringLiteral("</div>"),
        QStringLiteral("</body></html>"),
    };
}

QByteArray encode(const QStringList &lines)
{
    static const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += lineEnd;
    }
    return Cp1251::fromUnicodeForHtml(text);
}

} // namespace HtmlCatalog
