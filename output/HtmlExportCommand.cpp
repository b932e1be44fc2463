// The HTML export command of the main window.

#include "output/HtmlExportCommand.h"

#include "app/Messages.h"
#include "app/Progress.h"
#include "app/Seams.h"
#include "data/module/UnitDM.h"
#include "output/CatalogExport.h"
#include "output/SupportFolder.h"

namespace {

// Rows of the project list, as filtered now, marked for the HTML export.
int exportCount()
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

} // namespace

void exportHtmlCatalogue(QWidget *parent)
{
    // No question about an existing file: the page goes into a new folder.
    const QString chosen = seams().saveFileName(parent, QString(), QString(),
                                                QStringLiteral("HTML-страницы (*.html)"), QString(), false);
    if (chosen.isEmpty())
        return;
    const int count = exportCount();
    CatalogExport job(parent, chosen, supportFolder());
    QString failure;
    {
        // Made at the first row: an export refused before it started shows
        // no progress, and none is left to cover the message after a failure.
        std::unique_ptr<Progress> progress;
        try {
            job.run(count, [parent, &progress](int done, int total) {
                if (!progress)
                    progress = startProgress(parent, QStringLiteral("Экспорт каталога в HTML…"));
                return progress->step(done, total);
            });
        } catch (const CatalogWriteError &e) {
            failure = e.text(); // the export folder is removed again
        }
    }
    if (!failure.isEmpty())
        showStandardError(parent, failure);
}
