#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

class Field;
class FoldedColumn;

// The rows a filter runs over, by their index, and what the dataset keeps of
// them per snapshot. A cache answers null when it holds nothing for a field.
class FilterSource
{
public:
    virtual ~FilterSource() = default;
    virtual int rowCount() const = 0;
    virtual QVariant value(int row, const Field *field) const = 0;
    virtual const FoldedColumn *folded(const Field *field) const = 0;
    // The rows, ascending, whose key field holds value.
    virtual const QVector<int> *rowsEqualTo(const Field *field, qint64 value) const = 0;
};

// The row-filter language: comparisons of a column with a quoted constant
// (=, <>, <, >, <=, >=, LIKE with %), joined by AND and OR, with
// parentheses. A constant compared with a numeric or money column is read as
// a number; text comparisons ignore letter case.
class FilterExpression
{
public:
    using Resolver = std::function<const Field *(const QString &column)>;
    using ValueOf = std::function<QVariant(const Field *)>;

    virtual ~FilterExpression() = default;
    // Throws DataError(Filter) when the text does not parse or names an unknown column.
    static std::unique_ptr<FilterExpression> parse(const QString &text, const Resolver &resolve);
    virtual bool matches(const ValueOf &valueOf) const = 0;
    // Keeps, in their order, the rows that match.
    virtual void select(const FilterSource &source, QVector<int> &rows) const;
    // Every row that can match, ascending, when an index tells them without
    // testing each row; nullopt when it can't.
    virtual std::optional<QVector<int>> candidates(const FilterSource &) const { return std::nullopt; }
};
