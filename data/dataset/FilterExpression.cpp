#include "data/dataset/FilterExpression.h"

#include "data/core/DataError.h"
#include "data/dataset/Field.h"
#include "data/core/Money.h"
#include "data/dataset/RowCaches.h"
#include "data/dataset/ValueOrder.h"

#include <QRegularExpression>
#include <algorithm>
#include <iterator>

#include <vector>

namespace {

[[noreturn]] void fail(const QString &text, const QString &why)
{
    // A pasted text may be long: the message shows its beginning only.
    const QString shown = text.size() > 200 ? text.left(200) + QStringLiteral("…") : text;
    throw DataError(QStringLiteral("Неверное выражение фильтра «%1»: %2").arg(shown, why),
                    DataError::Kind::Filter);
}

// Limits that keep a hostile text from taking the program down.
constexpr int kMaxDepth = 100;
constexpr int kMaxLength = 10000;

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like, NotLike };

// Keeps the rows, in their order, that are marked (or unmarked) in marks.
void keepMarked(QVector<int> &rows, const QVector<bool> &marks, bool marked)
{
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](int r) { return marks[r] != marked; }), rows.end());
}

QVector<bool> marksOf(const FilterSource &source, const QVector<int> &rows)
{
    QVector<bool> marks(source.rowCount(), false);
    for (int r : rows)
        marks[r] = true;
    return marks;
}

// The terms of one AND or OR chain side by side, so a long chain costs no
// stack depth when it is matched or freed.
class AndOr : public FilterExpression
{
public:
    AndOr(bool isAnd, std::vector<std::unique_ptr<FilterExpression>> terms)
        : m_and(isAnd), m_terms(std::move(terms)) {}
    bool matches(const ValueOf &v) const override
    {
        for (const auto &t : m_terms)
            if (t->matches(v) != m_and)
                return !m_and;
        return m_and;
    }

    void select(const FilterSource &source, QVector<int> &rows) const override
    {
        if (m_and) {
            for (const auto &t : m_terms)
                t->select(source, rows);
            return;
        }
        // Each term looks only at the rows no earlier term has taken.
        QVector<bool> marks(source.rowCount(), false);
        QVector<int> rest = rows;
        for (const auto &t : m_terms) {
            QVector<int> taken = rest;
            t->select(source, taken);
            for (int r : std::as_const(taken))
                marks[r] = true;
            keepMarked(rest, marks, false);
        }
        keepMarked(rows, marks, true);
    }

    std::optional<QVector<int>> candidates(const FilterSource &source) const override
    {
        std::optional<QVector<int>> result;
        for (const auto &t : m_terms) {
            auto c = t->candidates(source);
            if (m_and) {
                if (c && (!result || c->size() < result->size()))
                    result = std::move(c);
                continue;
            }
            if (!c)
                return std::nullopt;
            if (!result) {
                result = std::move(c);
                continue;
            }
            QVector<int> both;
            std::set_union(result->begin(), result->end(), c->begin(), c->end(), std::back_inserter(both));
            result = std::move(both);
        }
        return result;
    }

private:
    bool m_and;
    std::vector<std::unique_ptr<FilterExpression>> m_terms;
};

class Not : public FilterExpression
{
public:
    explicit Not(std::unique_ptr<FilterExpression> e) : m_e(std::move(e)) {}
    bool matches(const ValueOf &v) const override { return !m_e->matches(v); }

    void select(const FilterSource &source, QVector<int> &rows) const override
    {
        QVector<int> hits = rows;
        m_e->select(source, hits);
        keepMarked(rows, marksOf(source, hits), false);
    }

private:
    std::unique_ptr<FilterExpression> m_e;
};

bool holds(Op op, int c)
{
    switch (op) {
    case Op::Eq: return c == 0;
    case Op::Ne: return c != 0;
    case Op::Lt: return c < 0;
    case Op::Gt: return c > 0;
    case Op::Le: return c <= 0;
    case Op::Ge: return c >= 0;
    default: return false;
    }
}

// One comparison of a column with a constant, the constant converted once.
class Compare : public FilterExpression
{
public:
    Compare(const Field *field, Op op, const QString &constant, bool isNull, const QString &source)
        : m_field(field), m_op(op), m_isNull(isNull)
    {
        if (isNull)
            return;
        if (op == Op::Like || op == Op::NotLike)
            prepareLike(constant);
        else if (m_field->isNumeric())
            prepareNumber(constant, source);
        else if (m_field->type() == FieldType::DateTime)
            prepareDate(constant, source);
        else
            m_text = constant;
    }

    bool matches(const ValueOf &valueOf) const override
    {
        const QVariant v = valueOf(m_field);
        const bool empty = isEmptyValue(v);
        if (m_isNull)
            return m_op == Op::Eq ? empty : (m_op == Op::Ne ? !empty : false);
        if (empty)
            return false; // an empty value matches no comparison
        if (m_op == Op::Like || m_op == Op::NotLike)
            return like(m_field->displayText(v)) == (m_op == Op::Like);
        if (m_field->isNumeric()) {
            const qint64 x = units(v);
            return holds(m_op, x < m_number ? -1 : (x > m_number ? 1 : 0));
        }
        if (m_field->type() == FieldType::DateTime) {
            const QDateTime x = dateTimeOf(v);
            return holds(m_op, x < m_date ? -1 : (x > m_date ? 1 : 0));
        }
        return holds(m_op, compareValues(v, m_text, m_field->type()));
    }

    void select(const FilterSource &source, QVector<int> &rows) const override
    {
        if (const QVector<int> *indexed = indexedRows(source)) {
            // The index names every row that holds the value and no other.
            keepIndexed(*indexed, rows);
            return;
        }
        const FoldedColumn *text = m_useContains && !m_isNull ? source.folded(m_field) : nullptr;
        if (!text) {
            FilterExpression::select(source, rows);
            return;
        }
        const bool wanted = m_op == Op::Like;
        const std::vector<bool> hits = text->containing(m_folded);
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [&](int r) { return text->isEmpty(r) || hits[size_t(r)] != wanted; }),
                   rows.end());
    }

    std::optional<QVector<int>> candidates(const FilterSource &source) const override
    {
        const QVector<int> *rows = indexedRows(source);
        return rows ? std::optional<QVector<int>>(*rows) : std::nullopt;
    }

private:
    // Rows ascending (the index's own, as candidates) are met in one pass
    // beside it, not looked up one by one.
    static void keepIndexed(const QVector<int> &indexed, QVector<int> &rows)
    {
        if (rows.constData() == indexed.constData() && rows.size() == indexed.size())
            return; // the index's own rows, as candidates: all are kept
        if (!std::is_sorted(rows.cbegin(), rows.cend())) {
            rows.erase(std::remove_if(rows.begin(), rows.end(),
                                      [&](int r) { return !std::binary_search(indexed.begin(), indexed.end(), r); }),
                       rows.end());
            return;
        }
        QVector<int> kept;
        kept.reserve(std::min(rows.size(), indexed.size()));
        std::set_intersection(rows.cbegin(), rows.cend(), indexed.cbegin(), indexed.cend(), std::back_inserter(kept));
        if (kept.size() != rows.size())
            rows = std::move(kept);
    }

    // The rows, ascending, that an index tells hold the constant; null when
    // no index answers this comparison.
    const QVector<int> *indexedRows(const FilterSource &source) const
    {
        const bool whole = m_field->type() == FieldType::AutoInc || m_field->type() == FieldType::Integer;
        if (m_isNull || m_op != Op::Eq || !whole)
            return nullptr;
        static const QVector<int> none;
        if (m_number % Money::Scale != 0)
            return &none; // a whole-number column holds no fraction
        return source.rowsEqualTo(m_field, m_number / Money::Scale);
    }

    qint64 units(const QVariant &v) const
    {
        const qint64 n = numberKey(v, m_field->type());
        return m_field->type() == FieldType::Money ? n : n * Money::Scale;
    }

    void prepareNumber(const QString &constant, const QString &source)
    {
        const QString c = constant.trimmed().toLower();
        if (m_field->type() == FieldType::Boolean && (c == QLatin1String("true") || c == QLatin1String("false"))) {
            m_number = numberKey(c == QLatin1String("true"), FieldType::Boolean) * Money::Scale;
            return;
        }
        const auto m = Money::parse(constant);
        if (!m)
            fail(source, QStringLiteral("«%1» не является числом").arg(constant));
        m_number = m->units();
    }

    void prepareDate(const QString &constant, const QString &source)
    {
        try {
            const QVariant d = m_field->fromText(constant);
            m_date = dateTimeOf(d);
        } catch (const DataError &) {
            m_date = QDateTime::fromString(constant.trimmed(), Qt::ISODate);
        }
        if (!m_date.isValid())
            fail(source, QStringLiteral("«%1» не является датой").arg(constant));
    }

    void prepareLike(const QString &pattern)
    {
        QString inner = pattern;
        const bool wildEnds = inner.size() >= 2 && inner.startsWith(QLatin1Char('%')) && inner.endsWith(QLatin1Char('%'));
        if (wildEnds)
            inner = inner.mid(1, inner.size() - 2);
        if (wildEnds && !inner.contains(QLatin1Char('%'))) {
            m_contains = inner; // the common "anywhere in the text" case, without a regex
            m_folded = inner.toCaseFolded();
            m_useContains = true;
            return;
        }
        // Only % is a wildcard: a name may well contain _ or *.
        QString re;
        for (const QChar ch : pattern) {
            if (ch == QLatin1Char('%'))
                re += QLatin1String(".*");
            else
                re += QRegularExpression::escape(QString(ch));
        }
        m_like = QRegularExpression(QRegularExpression::anchoredPattern(re),
                                    QRegularExpression::CaseInsensitiveOption
                                        | QRegularExpression::DotMatchesEverythingOption);
    }

    bool like(const QString &text) const
    {
        if (m_useContains)
            return text.contains(m_contains, Qt::CaseInsensitive);
        return m_like.match(text).hasMatch();
    }

    const Field *m_field;
    Op m_op;
    bool m_isNull;
    qint64 m_number = 0;
    QDateTime m_date;
    QString m_text;
    QString m_contains;
    QString m_folded; // m_contains case-folded, to search a folded column
    bool m_useContains = false;
    QRegularExpression m_like;
};

struct Token {
    enum Kind { Ident, String, Number, Date, Symbol, End } kind;
    QString text;
};

class Parser
{
public:
    Parser(const QString &text, const FilterExpression::Resolver &resolve) : m_src(text), m_resolve(resolve)
    {
        tokenize();
    }

    std::unique_ptr<FilterExpression> parseAll()
    {
        auto e = parseOr();
        if (peek().kind != Token::End)
            fail(m_src, QStringLiteral("лишний текст «%1»").arg(peek().text));
        return e;
    }

private:
    const Token &peek() const { return m_tokens[m_i]; }
    Token take() { return m_tokens[m_i < m_tokens.size() - 1 ? m_i++ : m_i]; }
    bool keyword(const char *word) const
    {
        return peek().kind == Token::Ident && peek().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    std::unique_ptr<FilterExpression> parseOr() { return parseChain("OR", false); }
    std::unique_ptr<FilterExpression> parseAnd() { return parseChain("AND", true); }

    std::unique_ptr<FilterExpression> parseChain(const char *word, bool isAnd)
    {
        std::vector<std::unique_ptr<FilterExpression>> terms;
        terms.push_back(isAnd ? parseUnary() : parseAnd());
        while (keyword(word)) {
            take();
            terms.push_back(isAnd ? parseUnary() : parseAnd());
        }
        if (terms.size() == 1)
            return std::move(terms.front());
        return std::make_unique<AndOr>(isAnd, std::move(terms));
    }

    std::unique_ptr<FilterExpression> parseUnary()
    {
        // Brackets and NOT recurse: a pasted text must not exhaust the stack.
        if (++m_depth > kMaxDepth)
            fail(m_src, QStringLiteral("слишком глубокая вложенность скобок или NOT (не более %1)").arg(kMaxDepth));
        std::unique_ptr<FilterExpression> e;
        if (keyword("NOT")) {
            take();
            e = std::make_unique<Not>(parseUnary());
        } else if (peek().kind == Token::Symbol && peek().text == QLatin1String("(")) {
            take();
            e = parseOr();
            if (!(peek().kind == Token::Symbol && peek().text == QLatin1String(")")))
                fail(m_src, QStringLiteral("не закрыта скобка"));
            take();
        } else {
            e = parseComparison();
        }
        --m_depth;
        return e;
    }

    std::unique_ptr<FilterExpression> parseComparison()
    {
        const Token column = take();
        if (column.kind != Token::Ident)
            fail(m_src, QStringLiteral("ожидалось имя поля"));
        const Field *field = m_resolve(column.text);
        if (!field)
            fail(m_src, QStringLiteral("нет поля «%1»").arg(column.text));
        const Op op = parseOp();
        const Token value = take();
        const bool isNull = value.kind == Token::Ident && value.text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0;
        if (!isNull && value.kind != Token::String && value.kind != Token::Number && value.kind != Token::Date)
            fail(m_src, QStringLiteral("ожидалось значение после «%1»").arg(column.text));
        return std::make_unique<Compare>(field, op, value.text, isNull, m_src);
    }

    Op parseOp()
    {
        if (keyword("LIKE")) {
            take();
            return Op::Like;
        }
        if (keyword("NOT")) {
            take();
            if (!keyword("LIKE"))
                fail(m_src, QStringLiteral("ожидалось LIKE"));
            take();
            return Op::NotLike;
        }
        if (keyword("IS")) {
            take();
            if (keyword("NOT")) {
                take();
                return Op::Ne;
            }
            return Op::Eq;
        }
        const Token t = take();
        static const QHash<QString, Op> ops = {{"=", Op::Eq}, {"<>", Op::Ne}, {"<", Op::Lt},
                                               {">", Op::Gt}, {"<=", Op::Le}, {">=", Op::Ge}};
        if (t.kind != Token::Symbol || !ops.contains(t.text))
            fail(m_src, QStringLiteral("ожидалась операция сравнения"));
        return ops.value(t.text);
    }

    void tokenize()
    {
        int i = 0;
        const int n = m_src.size();
        while (i < n) {
            const QChar c = m_src[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == QLatin1Char('\'')) {
                m_tokens.append({Token::String, readQuoted(i, QLatin1Char('\''))});
            } else if (c == QLatin1Char('#')) {
                m_tokens.append({Token::Date, readQuoted(i, QLatin1Char('#'))});
            } else if (c == QLatin1Char('[')) {
                const int end = m_src.indexOf(QLatin1Char(']'), i);
                if (end < 0)
                    fail(m_src, QStringLiteral("не закрыта скобка ["));
                m_tokens.append({Token::Ident, m_src.mid(i + 1, end - i - 1)});
                i = end + 1;
            } else if (c.isLetter() || c == QLatin1Char('_')) {
                const int start = i;
                while (i < n && (m_src[i].isLetterOrNumber() || m_src[i] == QLatin1Char('_')))
                    ++i;
                m_tokens.append({Token::Ident, m_src.mid(start, i - start)});
            } else if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.')) {
                const int start = i++;
                while (i < n && (m_src[i].isDigit() || m_src[i] == QLatin1Char('.')))
                    ++i;
                m_tokens.append({Token::Number, m_src.mid(start, i - start)});
            } else if (QStringLiteral("<>=").contains(c)) {
                QString op(c);
                if (i + 1 < n && (m_src[i + 1] == QLatin1Char('=') || (c == QLatin1Char('<') && m_src[i + 1] == QLatin1Char('>'))))
                    op += m_src[++i];
                ++i;
                m_tokens.append({Token::Symbol, op});
            } else if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
                m_tokens.append({Token::Symbol, QString(c)});
                ++i;
            } else {
                fail(m_src, QStringLiteral("недопустимый символ «%1»").arg(c));
            }
        }
        m_tokens.append({Token::End, QString()});
    }

    QString readQuoted(int &i, QChar quote)
    {
        QString value;
        for (++i; i < m_src.size(); ++i) {
            if (m_src[i] == quote) {
                if (quote == QLatin1Char('\'') && i + 1 < m_src.size() && m_src[i + 1] == quote) {
                    value += quote; // a doubled quote stands for one
                    ++i;
                    continue;
                }
                ++i;
                return value;
            }
            value += m_src[i];
        }
        fail(m_src, QStringLiteral("не закрыта кавычка"));
    }

    QString m_src;
    FilterExpression::Resolver m_resolve;
    QVector<Token> m_tokens;
    int m_i = 0;
    int m_depth = 0;
};

} // namespace

void FilterExpression::select(const FilterSource &source, QVector<int> &rows) const
{
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](int r) { return !matches([&](const Field *f) { return source.value(r, f); }); }),
               rows.end());
}

std::unique_ptr<FilterExpression> FilterExpression::parse(const QString &text, const Resolver &resolve)
{
    if (text.size() > kMaxLength)
        fail(text, QStringLiteral("выражение длиннее %1 символов").arg(kMaxLength));
    return Parser(text, resolve).parseAll();
}
