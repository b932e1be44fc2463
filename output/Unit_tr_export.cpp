// The HTML export command of the main window.

#include "main/Unit_tr.h"

#include "app/Messages.h"
#include "app/Progress.h"
#include "app/Seams.h"
#include "data/UnitDM.h"
#include "output/CatalogExport.h"
#include "output/SupportFolder.h"

void TfrmMain::mnuExportCatClick(QObject *)
{
    const QString chosen = seams().saveFileName(this, QString(), QString(),
                                                QStringLiteral("HTML-страницы (*.html)"));
    if (chosen.isEmpty())
        return;
    const int count = exportCount();
    CatalogExport job(this, chosen, supportFolder());
    const auto progress = startProgress(this, QStringLiteral("Экспорт каталога в HTML…"));
    try {
        job.run(count, [&progress](int done, int total) { return progress->step(done, total); });
    } catch (const CatalogWriteError &e) {
        // The export folder is removed again; nothing is claimed written.
        showStandardError(this, e.text());
    }
}

int TfrmMain::exportCount()
{
    // Read by position rather than by walking the list, so the current row
    // and every control bound to it stay where they are.
    const Dataset *ds = Dm->tblProject;
    int count = 0;
    for (int row = 0, rows = ds->recordCount(); row < rows; ++row)
        if (ds->valueAt(row, Dm->tblProjectisExports).toBool())
            ++count;
    return count;
}
