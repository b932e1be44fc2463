// The CSV export commands of the main window.

#include "main/Unit_tr.h"

#include "app/DBGrid.h"
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

template <typename Write> void exportCsv(TfrmMain *window, const QString &caption, Write write)
{
    const QString path = chooseCsvFile(window, caption);
    if (path.isEmpty())
        return;
    try {
        write(path);
    } catch (const CatalogWriteError &e) {
        showStandardError(window, e.text());
    }
}

} // namespace

void TfrmMain::mnuExportProjectsCsvClick(QObject *)
{
    exportCsv(this, QStringLiteral("Проекты в CSV"),
              [this](const QString &path) { CsvExport::writeProjects(this, path, gridAuto->columns()); });
}

void TfrmMain::mnuExportOrdersCsvClick(QObject *)
{
    exportCsv(this, QStringLiteral("Продажи в CSV"),
              [this](const QString &path) { CsvExport::writeSales(this, path); });
}
