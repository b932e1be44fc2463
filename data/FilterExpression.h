#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class Field;

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
};
