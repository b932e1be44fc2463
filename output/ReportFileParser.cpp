#include "output/ReportFileParser.h"

#include "data/core/Clock.h"
#include "output/ReportError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <optional>

namespace {

struct Token {
    QString text;
    bool quoted = false;
};

const QString DefaultDateFormat = QStringLiteral("dd.MM.yyyy HH:mm:ss");

class Parser
{
public:
    explicit Parser(const QString &fileName) : m_file(fileName) {}

    std::vector<ReportDefinition> parse(const QString &text)
    {
        const QStringList lines = QString(text).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
        for (m_line = 1; m_line <= lines.size(); ++m_line) {
            m_tokens = tokenize(lines[m_line - 1]);
            m_pos = 0;
            if (!m_tokens.isEmpty())
                statement();
        }
        m_line = int(lines.size());
        if (m_inBand)
            failAt(QStringLiteral("\"end\" of the band opened on line %1").arg(m_bandLine), QStringLiteral("end of file"));
        if (m_report)
            failAt(QStringLiteral("\"end\" of the report opened on line %1").arg(m_reportLine), QStringLiteral("end of file"));
        return std::move(m_reports);
    }

private:
    void statement()
    {
        if (m_inBand)
            bandStatement();
        else if (m_report)
            reportStatement();
        else if (keyword("report"))
            beginReport();
        else
            fail(QStringLiteral("\"report\""));
    }

    void beginReport()
    {
        m_reports.emplace_back();
        m_report = &m_reports.back();
        m_reportLine = m_line;
        m_report->report.name = name(QStringLiteral("the report's name"));
        endOfLine();
    }

    void reportStatement()
    {
        BandedReport &r = m_report->report;
        if (keyword("page")) {
            r.pageSize = pageSize();
            if (keyword("landscape"))
                r.orientation = QPageLayout::Landscape;
            else if (keyword("portrait"))
                r.orientation = QPageLayout::Portrait;
        } else if (keyword("margins")) {
            const qreal left = length(QStringLiteral("the left margin"));
            const qreal top = length(QStringLiteral("the top margin"));
            const qreal right = length(QStringLiteral("the right margin"));
            r.margins = QMarginsF(left, top, right, length(QStringLiteral("the bottom margin")));
        } else if (keyword("font")) {
            r.font = font();
        } else if (keyword("data")) {
            m_report->connection = name(QStringLiteral("the name of a data connection"));
        } else if (keyword("band")) {
            beginBand();
        } else if (keyword("end")) {
            m_report = nullptr;
        } else {
            fail(QStringLiteral("\"page\", \"margins\", \"font\", \"data\", \"band\" or \"end\""));
        }
        endOfLine();
    }

    void beginBand()
    {
        static const QList<QPair<QString, ReportBand::Kind>> kinds = {
            {QStringLiteral("title"), ReportBand::Kind::Title},
            {QStringLiteral("header"), ReportBand::Kind::PageHeader},
            {QStringLiteral("detail"), ReportBand::Kind::Detail},
            {QStringLiteral("footer"), ReportBand::Kind::PageFooter},
            {QStringLiteral("summary"), ReportBand::Kind::Summary}};
        m_band = ReportBand();
        bool known = false;
        for (const auto &kind : kinds)
            if (keyword(kind.first)) {
                m_band.kind = kind.second;
                m_band.name = kind.first;
                known = true;
                break;
            }
        if (!known)
            fail(QStringLiteral("a band kind: title, header, detail, footer or summary"));
        m_band.height = length(QStringLiteral("the band's height"));
        m_inBand = true;
        m_bandLine = m_line;
    }

    void bandStatement()
    {
        if (keyword("end")) {
            m_report->report.bands.push_back(std::move(m_band));
            m_inBand = false;
        } else if (keyword("font")) {
            m_band.font = font();
        } else if (!item()) {
            fail(QStringLiteral("an item (label, field, picture, line, pagenumber, date), \"font\" or \"end\""));
        }
        endOfLine();
    }

    bool item()
    {
        ReportItem it;
        it.name = QStringLiteral("%1:%2").arg(m_band.name).arg(m_line);
        if (keyword("line")) {
            it.kind = ReportItem::Kind::Line;
            const qreal x1 = number(QStringLiteral("x1"));
            const qreal y1 = number(QStringLiteral("y1"));
            const qreal x2 = number(QStringLiteral("x2"));
            it.rect = QRectF(QPointF(x1, y1), QPointF(x2, number(QStringLiteral("y2"))));
            if (keyword("width"))
                it.penWidth = length(QStringLiteral("the line's width"));
        } else if (keyword("label")) {
            it.rect = box();
            it.fixedText = quoted(QStringLiteral("the label's text in double quotes"));
            options(it);
        } else if (keyword("field")) {
            it.rect = box();
            it.field = fieldName();
            options(it);
        } else if (keyword("picture")) {
            it.kind = ReportItem::Kind::Picture;
            it.rect = box();
            it.field = fieldName();
        } else if (keyword("pagenumber")) {
            it.rect = box();
            const QString format = quoted(QStringLiteral("the page number's text in double quotes"));
            it.text = [format](const ReportContext &c) {
                return QString(format)
                    .replace(QLatin1String("%p"), QString::number(c.page))
                    .replace(QLatin1String("%n"), c.pageCount > 0 ? QString::number(c.pageCount) : QString());
            };
            options(it);
        } else if (keyword("date")) {
            it.rect = box();
            const QString format = peekQuoted() ? quoted(QString()) : DefaultDateFormat;
            it.text = [format](const ReportContext &) { return Clock::now().toString(format); };
            options(it);
        } else {
            return false;
        }
        m_band.items.push_back(std::move(it));
        return true;
    }

    QString fieldName()
    {
        if (m_report->connection.isEmpty())
            fail(QStringLiteral("a \"data\" line in the report before its first field"));
        return name(QStringLiteral("a field name"));
    }

    void options(ReportItem &it)
    {
        while (m_pos < m_tokens.size()) {
            if (keyword("font")) {
                it.font = font();
            } else if (keyword("align")) {
                if (keyword("left"))
                    it.align = Qt::AlignLeft | Qt::AlignTop;
                else if (keyword("center"))
                    it.align = Qt::AlignHCenter | Qt::AlignTop;
                else if (keyword("right"))
                    it.align = Qt::AlignRight | Qt::AlignTop;
                else
                    fail(QStringLiteral("left, center or right"));
            } else if (keyword("wrap")) {
                it.wrap = true;
            } else if (keyword("follow")) {
                it.followGap = number(QStringLiteral("the gap after the previous text"));
            } else {
                fail(QStringLiteral("an option (font, align, wrap, follow) or the end of the line"));
            }
        }
    }

    QFont font()
    {
        QFont f(name(QStringLiteral("a font family")));
        const qreal size = number(QStringLiteral("a font size in points"));
        if (size <= 0)
            failAt(QStringLiteral("a font size above 0"), quote(m_tokens[m_pos - 1].text));
        f.setPointSizeF(size);
        for (;;) {
            if (keyword("bold"))
                f.setBold(true);
            else if (keyword("italic"))
                f.setItalic(true);
            else if (keyword("underline"))
                f.setUnderline(true);
            else
                return f;
        }
    }

    QPageSize pageSize()
    {
        static const QList<QPair<QString, QPageSize::PageSizeId>> sizes = {
            {QStringLiteral("A3"), QPageSize::A3}, {QStringLiteral("A4"), QPageSize::A4},
            {QStringLiteral("A5"), QPageSize::A5}, {QStringLiteral("Letter"), QPageSize::Letter},
            {QStringLiteral("Legal"), QPageSize::Legal}};
        for (const auto &size : sizes)
            if (keyword(size.first))
                return QPageSize(size.second);
        fail(QStringLiteral("a paper size: A3, A4, A5, Letter or Legal"));
    }

    QRectF box()
    {
        const qreal x = number(QStringLiteral("x"));
        const qreal y = number(QStringLiteral("y"));
        const qreal w = length(QStringLiteral("a width"));
        return QRectF(x, y, w, length(QStringLiteral("a height")));
    }

    // --- tokens -----------------------------------------------------------

    QList<Token> tokenize(const QString &line) const
    {
        QList<Token> tokens;
        int i = 0;
        while (i < line.size()) {
            const QChar c = line[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == QLatin1Char('#')) {
                break;
            } else if (c == QLatin1Char('"')) {
                Token t{QString(), true};
                for (++i;; ++i) {
                    if (i >= line.size())
                        failAt(QStringLiteral("a closing double quote"), QStringLiteral("end of line"));
                    if (line[i] == QLatin1Char('"'))
                        break;
                    if (line[i] == QLatin1Char('\\') && i + 1 < line.size())
                        ++i;
                    t.text += line[i];
                }
                ++i;
                tokens << t;
            } else {
                Token t;
                while (i < line.size() && !line[i].isSpace() && line[i] != QLatin1Char('"') && line[i] != QLatin1Char('#'))
                    t.text += line[i++];
                tokens << t;
            }
        }
        return tokens;
    }

    bool keyword(const QString &word)
    {
        if (m_pos < m_tokens.size() && !m_tokens[m_pos].quoted
            && m_tokens[m_pos].text.compare(word, Qt::CaseInsensitive) == 0) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool keyword(const char *word) { return keyword(QLatin1String(word)); }

    bool peekQuoted() const { return m_pos < m_tokens.size() && m_tokens[m_pos].quoted; }

    QString name(const QString &what)
    {
        if (m_pos >= m_tokens.size())
            fail(what);
        return m_tokens[m_pos++].text;
    }

    QString quoted(const QString &what)
    {
        if (!peekQuoted())
            fail(what);
        return m_tokens[m_pos++].text;
    }

    qreal number(const QString &what)
    {
        bool ok = false;
        const qreal v = m_pos < m_tokens.size() && !m_tokens[m_pos].quoted
            ? QLocale::c().toDouble(m_tokens[m_pos].text, &ok) : 0;
        if (!ok || !std::isfinite(v))
            fail(QStringLiteral("a number (%1)").arg(what));
        ++m_pos;
        return v;
    }

    qreal length(const QString &what)
    {
        const qreal v = number(what);
        if (v < 0)
            failAt(QStringLiteral("a number not below 0 (%1)").arg(what), quote(m_tokens[m_pos - 1].text));
        return v;
    }

    void endOfLine()
    {
        if (m_pos < m_tokens.size())
            fail(QStringLiteral("the end of the line"));
    }

    static QString quote(const QString &token) { return QLatin1Char('"') + token + QLatin1Char('"'); }

    [[noreturn]] void fail(const QString &expected) const
    {
        failAt(expected, m_pos < m_tokens.size() ? quote(m_tokens[m_pos].text) : QStringLiteral("end of line"));
    }

    [[noreturn]] void failAt(const QString &expected, const QString &found) const
    {
        throw ReportError(QStringLiteral("Report project \"%1\", line %2: expected %3, found %4")
                              .arg(m_file, QString::number(m_line), expected, found));
    }

    QString m_file;
    int m_line = 0;
    QList<Token> m_tokens;
    int m_pos = 0;
    std::vector<ReportDefinition> m_reports;
    ReportDefinition *m_report = nullptr;
    int m_reportLine = 0;
    ReportBand m_band;
    bool m_inBand = false;
    int m_bandLine = 0;
};

} // namespace

std::vector<ReportDefinition> parseReportProject(const QString &text, const QString &fileName)
{
    return Parser(fileName).parse(text);
}

std::vector<ReportDefinition> readReportProject(const QString &path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    QFile file(fullPath);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("Unable to open report project file \"%1\": %2")
                              .arg(QDir::toNativeSeparators(fullPath), file.errorString()));
    return parseReportProject(QString::fromUtf8(file.readAll()), QDir::toNativeSeparators(fullPath));
}
