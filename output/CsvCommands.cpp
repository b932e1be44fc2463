// The CSV export commands of the main window.

#include "output/CsvCommands.h"

#include "app/Messages.h"
#include "app/Seams.h"
#include "output/CatalogExport.h"
#include "output/CsvExport.h"

#include <QFileInfo>

namespace {

QString chooseCsvFile(QWidget *parent, const QString &caption)
{
    QString path = seams().saveFileName(parent, caption, QString(), QStringLiteral("Файлы CSV (*.csv)"),
                                        QStringLiteral("csv"), true);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    return path;
}

template <typename Write> void exportCsv(QWidget *parent, const QString &caption, Write write)
{
    const QString path = chooseCsvFile(parent, caption);
    if (path.isEmpty())
        return;
    try {
        write(path);
    } catch (const CatalogWriteError &e) {
        showStandardError(parent, e.text());
    }
}

} // namespace

void exportProjectsCsv(QWidget *parent, const QList<GridColumn> &columns)
{
    exportCsv(parent, QStringLiteral("Проекты в CSV"),
              [&](const QString &path) { CsvExport::writeProjects(parent, path, columns); });
}

void exportSalesCsv(QWidget *parent)
{
    exportCsv(parent, QStringLiteral("Продажи в CSV"),
              [parent](const QString &path) { CsvExport::writeSales(parent, path); });
}
