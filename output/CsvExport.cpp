#include "output/CsvExport.h"

#include "app/Progress.h"
#include "data/sales/SalesList.h"
#include "data/module/UnitDM.h"
#include "output/CatalogExport.h"

#include <QDir>
#include <QHash>
#include <QSaveFile>
#include <algorithm>

namespace CsvExport {

namespace {

QString field(QString text)
{
    // No spreadsheet holds a NUL, and some readers end the line at one.
    text.replace(QChar(0), QChar::ReplacementCharacter);
    static const QString special = QStringLiteral(";\"\r\n");
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); }))
        return text;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A text that a spreadsheet would take for a formula gets a leading
// apostrophe, which keeps it text in Calc and Excel alike and loses nothing
// the user typed. So does one that already starts with apostrophes before
// such a character, so that the import, which takes one mark off, gives the
// text back as it was. Numbers, money and dates are written bare, so a
// negative price stays a number.
QString asText(QString text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == QLatin1Char('\''))
        ++first;
    if (first < text.size() && formulaStarts.contains(text.at(first)))
        text.prepend(QLatin1Char('\''));
    return text;
}

// A value as a spreadsheet with Russian settings reads it.
QString cellAt(const Dataset *ds, int row, const Field *f)
{
    switch (f->type()) {
    case FieldType::Money: {
        const QVariant v = ds->valueAt(row, f);
        return v.isNull() ? QString() : Money::fromUnits(v.toLongLong()).toString(QLatin1Char(','));
    }
    case FieldType::Lookup: // whole, not cut to the grid's width, so the name reads back
        return asText(f->wholeLookupValue(ds->valueAt(row, ds->fieldByName(f->lookupKeyField()))).toString());
    case FieldType::Text:
    case FieldType::Memo:
        return asText(ds->displayTextAt(row, f));
    default:
        return ds->displayTextAt(row, f);
    }
}

// The file under way: removed unless committed.
class CsvFile
{
public:
    CsvFile(QWidget *parent, const QString &path, const QString &what)
        : m_file(path), m_progress(startProgress(parent, what))
    {
        if (!m_file.open(QIODevice::WriteOnly))
            failed();
        write(QByteArrayLiteral("\xEF\xBB\xBF"));
    }

    void add(const QStringList &fields) { write(line(fields)); }
    bool step(qint64 done, qint64 total) { return m_progress->step(done, total); }

    void commit()
    {
        // commit() does not notice a failed last flush (Qt 6.4) and would
        // put a cut file in place of an earlier one.
        if (!m_file.flush() || !m_file.commit())
            failed();
    }

private:
    void write(const QByteArray &bytes)
    {
        if (m_file.write(bytes) != bytes.size())
            failed();
    }

    [[noreturn]] void failed()
    {
        const QString reason = writeFailureReason(m_file);
        m_file.cancelWriting();
        throw CatalogWriteError(QStringLiteral("Не удалось записать файл \"%1\": %2")
                                    .arg(QDir::toNativeSeparators(m_file.fileName()), reason));
    }

    QSaveFile m_file;
    std::unique_ptr<Progress> m_progress;
};

} // namespace

QByteArray line(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &f : fields)
        quoted << field(f);
    return (quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n")).toUtf8();
}

int writeProjects(QWidget *parent, const QString &path, const QList<GridColumn> &columns)
{
    const TDm &dm = *Dm;
    const Dataset *ds = dm.tblProject;
    QList<const Field *> fields;
    QStringList titles;
    for (const GridColumn &c : columns) {
        fields << ds->fieldByName(c.field);
        titles << c.title;
    }
    fields << dm.tblProjectpath_repository << dm.tblProjectisExports << dm.tblProjectisExportsDesc
           << dm.tblProjectdescription;
    titles << QStringLiteral("Путь в репозитории") << QStringLiteral("Экспорт проекта")
           << QStringLiteral("Экспорт описания") << QStringLiteral("Описание");

    CsvFile file(parent, path, QStringLiteral("Экспорт проектов в CSV…"));
    file.add(titles);
    const int rows = ds->recordCount();
    for (int row = 0; row < rows; ++row) {
        if (!file.step(row, rows))
            return -1;
        QStringList values;
        for (const Field *f : fields)
            values << cellAt(ds, row, f);
        file.add(values);
    }
    file.commit();
    return rows;
}

int writeSales(QWidget *parent, const QString &path)
{
    const TDm &dm = *Dm;
    const Dataset *projects = dm.tblProject;
    const auto sales = openAllSales(dm.ADOConnection);
    const Field *project = sales->fieldByName(QStringLiteral("project_id"));
    const QList<const Field *> fields = {sales->fieldByName(QStringLiteral("order_id")),
                                         sales->fieldByName(QStringLiteral("date_orders")),
                                         sales->fieldByName(QStringLiteral("summ")),
                                         sales->fieldByName(QStringLiteral("comments"))};
    // The sales come ordered by project: each project's first row and count.
    QHash<qint64, QPair<int, int>> rowsOf;
    for (int row = 0, n = sales->recordCount(); row < n; ++row) {
        auto &range = rowsOf[sales->valueAt(row, project).toLongLong()];
        if (range.second++ == 0)
            range.first = row;
    }

    CsvFile file(parent, path, QStringLiteral("Экспорт продаж в CSV…"));
    file.add({QStringLiteral("Код проекта"), QStringLiteral("Наименование"), QStringLiteral("Категория"),
              QStringLiteral("ID"), QStringLiteral("Дата продажи"), QStringLiteral("Сумма, руб."),
              QStringLiteral("Краткий комментарий")});
    const int rows = projects->recordCount();
    int written = 0;
    for (int row = 0; row < rows; ++row) {
        if (!file.step(row, rows))
            return -1;
        const qint64 key = projects->valueAt(row, dm.tblProjectproject_id).toLongLong();
        const auto range = rowsOf.value(key);
        const QStringList head = {QString::number(key), cellAt(projects, row, dm.tblProjecttovName),
                                  cellAt(projects, row, dm.tblProjectstrCat)};
        for (int s = range.first; s < range.first + range.second; ++s) {
            QStringList values = head;
            for (const Field *f : fields)
                values << cellAt(sales.get(), s, f);
            file.add(values);
        }
        written += range.second;
    }
    file.commit();
    return written;
}

} // namespace CsvExport
