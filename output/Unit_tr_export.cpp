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
    // No question about an existing file: the page goes into a new folder.
    const QString chosen = seams().saveFileName(this, QString(), QString(),
                                                QStringLiteral("HTML-страницы (*.html)"), QString(), false);
    if (chosen.isEmpty())
        return;
    const int count = exportCount();
    CatalogExport job(this, chosen, supportFolder());
    QString failure;
    {
        // Made at the first row: an export refused before it started shows
        // no progress, and none is left to cover the message after a failure.
        std::unique_ptr<Progress> progress;
        try {
            job.run(count, [this, &progress](int done, int total) {
                if (!progress)
                    progress = startProgress(this, QStringLiteral("Экспорт каталога в HTML…"));
                return progress->step(done, total);
            });
        } catch (const CatalogWriteError &e) {
            failure = e.text(); // the export folder is removed again
        }
    }
    if (!failure.isEmpty())
        showStandardError(this, failure);
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
