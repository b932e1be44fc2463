#pragma once

#include "data/csv/CsvColumns.h"
#include "data/csv/CsvFormat.h"
#include "data/csv/CsvTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <array>
#include <functional>
#include <optional>

class Database;
class TDm;
struct CsvCatalogue;

// One line of the file that can't be taken, and why. column is 1-based, 0
// when the whole line (or the choice of columns) is meant.
struct CsvProblem
{
    int line = 0;
    int column = 0;
    QString value;
    QString why;
};

// What the user chose in the import window.
struct CsvImportSettings
{
    CsvKind kind = CsvKind::Projects;
    CsvFormat format;
    QVector<CsvField> columns; // what each column of the file goes into
    bool updateExisting = false; // projects: a name already stored gets the file's values, else it is skipped
    bool matchByCode = true;     // sales: their project by "Код проекта", else by its name
};

// What the check found: every problem, the reference-book entries that the
// import would create, and what it would do with the rows.
struct CsvCheck
{
    QVector<CsvProblem> problems;
    QStringList newCategories, newYears, newIdes;
    int toAdd = 0, toUpdate = 0, toSkip = 0;

    bool ok() const { return problems.isEmpty(); }
    bool createsEntries() const { return !newCategories.isEmpty() || !newYears.isEmpty() || !newIdes.isEmpty(); }
};

// Projects or sales from a CSV file: read whole, checked against the
// catalogue as the editors check what is typed, and stored in one
// transaction or not at all.
class CsvImport
{
public:
    CsvImport(const QByteArray &bytes, const CsvImportSettings &settings);
    ~CsvImport();

    const CsvImportSettings &settings() const { return m_settings; }
    // The records as read, the line of titles included.
    const CsvTable &table() const { return m_table; }

    // Every problem of the file against the catalogue as it is now.
    CsvCheck check(const Database &db) const;

    // Checks again inside the transaction and stores every row; the missing
    // categories, years and IDE versions are created first when allowed
    // (else they stop it). progress(done, total) returning false cancels.
    // Throws DataError when the catalogue refused, or the check found a
    // problem; then nothing is stored. Returns nothing when cancelled;
    // after a commit the data module reads its lists again.
    std::optional<CsvCheck> run(TDm &dm, bool createMissing,
                                const std::function<bool(qint64 done, qint64 total)> &progress) const;

    // Guesses from a file's first lines: its format, and its columns' fields.
    static CsvFormat guessFormat(const QByteArray &bytes);
    static QVector<CsvField> guessColumns(CsvKind kind, const QByteArray &bytes, const CsvFormat &format);

private:
    static constexpr int FieldCount = int(CsvField::SaleComment) + 1;
    struct Row
    {
        int line = 0;
        std::array<QVariant, FieldCount> values;
        const QVariant &operator[](CsvField f) const { return values[size_t(f)]; }
    };

    void convert();
    void convertCell(Row &row, CsvField field, int column, const QString &cell);
    bool mapped(CsvField f) const { return m_settings.columns.contains(f); }
    int columnOf(CsvField f) const { return int(m_settings.columns.indexOf(f)) + 1; }
    CsvCheck resolve(const CsvCatalogue &catalogue) const;
    void resolveProject(const Row &row, const CsvCatalogue &catalogue, CsvCheck &check,
                        QHash<QString, int> &namesSeen) const;
    void store(Database &db, CsvCatalogue &catalogue, const CsvCheck &check,
               const std::function<bool(qint64, qint64)> &progress) const;
    void storeProject(Database &db, CsvCatalogue &catalogue, const Row &row) const;

    CsvImportSettings m_settings;
    CsvTable m_table;
    QVector<Row> m_rows;
    QVector<CsvProblem> m_problems; // of the file alone
};
