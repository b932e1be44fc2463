#pragma once

#include <QSet>
#include <QString>
#include <QVector>

// What the catalogue's schema demands of the rows of a legacy file, column
// by column, in the order the tables are converted (a reference always
// points at a table converted before).
namespace LegacyRules {

enum class Kind {
    Key,     // the AutoNumber key, kept as it is
    Ref,     // a key of another table
    Name,    // a text that must be there, fit and be unique
    Text,    // a text that must fit
    Memo,    // a text of any length
    Money,   // Currency, the count of ten-thousandths
    Date,    // Date/Time
    Flag,    // Yes/No
    Picture  // the screenshot: a BMP
};

struct Column {
    QString name;
    Kind kind;
    int limit = 0;          // Name, Text: characters
    QString refTable;       // Ref
    bool nullable = false;  // Ref: an empty reference is allowed
};

struct Table {
    QString name;
    QString shown;          // the table as the user knows it, in Russian
    QVector<Column> columns;
    int keyColumn() const;  // -1 for a table without a key
    int columnIndex(const QString &name) const;
};

const QVector<Table> &tables();
const Table &table(const QString &name);

// Length as the databases count it: in characters (code points).
int length(QStringView text);
// The longest start of text of at most limit characters that ends on a
// whole character (a letter with its accents, an emoji whole).
QString cut(const QString &text, int limit);
// The first of a series of names that is not among taken, base cut so that
// the whole fits limit; it is added to taken. Number: "base 1", "base 2", ...
// Copy: "base", "base (2)", "base (3)", ...
enum class Series { Number, Copy };
QString unique(const QString &base, int limit, QSet<QString> &taken, Series series);

} // namespace LegacyRules
