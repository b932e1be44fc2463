// The CSV export commands of the main window.

#include "output/CsvCommands.h"

#include "app/Messages.h"
#include "app/Seams.h"
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "output/CatalogExport.h"
#include "output/CsvExport.h"

#include <QDir>
#include <QFileInfo>

namespace {

// "Проекты Бухгалтерия 25.12.2013.csv": what, the category chosen in the
// main window and today, without the characters a file name can't hold.
QString suggestedName(const QString &what)
{
    QString category = Dm->tblCategory->recNo() > 0 ? Dm->tblCategorycatName->asString() : QString();
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    for (QChar &c : category)
        if (unsafe.contains(c) || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    const QString date = Clock::today().toString(QStringLiteral("dd.MM.yyyy"));
    return QStringList({what, category.simplified(), date}).join(QLatin1Char(' ')).simplified()
         + QStringLiteral(".csv");
}

QString chooseCsvFile(QWidget *parent, const QString &caption, const QString &what)
{
    QString path = seams().saveFileName(parent, caption, suggestedName(what),
                                        QStringLiteral("Файлы CSV (*.csv)"), QStringLiteral("csv"), true);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    return path;
}

// write(path) returns the rows written, or -1 when the user cancelled.
template <typename Write>
void exportCsv(QWidget *parent, const QString &caption, const QString &what, const QString &rowsText,
               Write write)
{
    const QString path = chooseCsvFile(parent, caption, what);
    if (path.isEmpty())
        return;
    try {
        const int rows = write(path);
        if (rows >= 0)
            showNotice(parent, caption, rowsText.arg(QDir::toNativeSeparators(path)).arg(rows));
    } catch (const CatalogWriteError &e) {
        showStandardError(parent, e.text());
    }
}

} // namespace

void exportProjectsCsv(QWidget *parent, const QList<GridColumn> &columns)
{
    exportCsv(parent, QStringLiteral("Проекты в CSV"), QStringLiteral("Проекты"),
              QStringLiteral("В файл \"%1\" записано проектов: %2."),
              [&](const QString &path) { return CsvExport::writeProjects(parent, path, columns); });
}

void exportSalesCsv(QWidget *parent)
{
    exportCsv(parent, QStringLiteral("Продажи в CSV"), QStringLiteral("Продажи"),
              QStringLiteral("В файл \"%1\" записано продаж: %2."),
              [parent](const QString &path) { return CsvExport::writeSales(parent, path); });
}
