#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

// The types of Jet's columns, as far as the program tells them apart.
enum class JetType { Bool, Byte, Integer, Long, Currency, Single, Double, DateTime, Binary, Text, Ole, Memo, Other };

struct JetColumn {
    QString name;
    JetType type = JetType::Other;
    int maxLength = 0; // Text: characters (UTF-16 units) the column holds
};

// A legacy Access (Jet 4) file, read-only through libmdb. The file itself is
// never written. Values come raw, never through libmdb's text formatting:
//   Bool -> int 0/1; Byte, Integer, Long -> qlonglong; Currency -> qlonglong
//   count of ten-thousandths; Single, Double -> double; DateTime -> ISO text;
//   Text, Memo -> QString; Ole, Binary, Other -> QByteArray; NULL -> an
//   invalid QVariant. Memo and OLE values are read whole.
class JetFile
{
public:
    // Throws DataError(NotADatabase or Corrupt) with a Russian text naming
    // what the file is when it is no readable Jet 4 file.
    explicit JetFile(const QString &path);
    ~JetFile();
    JetFile(const JetFile &) = delete;
    JetFile &operator=(const JetFile &) = delete;

    QString path() const { return m_path; }
    // The user tables, in the order of the file's catalogue.
    QStringList tables() const;
    bool hasTable(const QString &table) const;
    QVector<JetColumn> columns(const QString &table) const;
    // The row count that the table's definition keeps.
    qint64 rowCount(const QString &table) const;
    // The last AutoNumber handed out (0 for a table without one).
    qint64 lastAutoNumber(const QString &table) const;

private:
    friend class JetRows;
    struct Table;
    Table &table(const QString &name) const;
    [[noreturn]] void damaged(const QString &what) const;

    struct Handle;
    QString m_path;
    std::unique_ptr<Handle> m_handle;
    std::vector<std::unique_ptr<Table>> m_tables;
};

// One pass over the rows of a table, in the file's order. Deleted rows are
// left out; a row moved to another page is read from there.
class JetRows
{
public:
    // The named columns (case as in the file or not), or all when none are
    // named. Throws DataError(Missing) for a column the table lacks.
    JetRows(const JetFile &file, const QString &table, const QStringList &columns = {});
    ~JetRows();

    // Throws DataError(Corrupt) when a page or a long value can't be read.
    bool next();
    const QVariant &value(int column) const { return m_values.at(column); }
    int columnCount() const { return int(m_values.size()); }
    qint64 rowsRead() const { return m_rowsRead; }

private:
    class Cursor;
    std::unique_ptr<Cursor> m_cursor;
    QVector<int> m_columns; // index among the table's columns, per value
    QVector<QVariant> m_values;
    qint64 m_rowsRead = 0;
};
