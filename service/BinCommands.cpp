#include "service/BinCommands.h"

#include "service/Unit_bin.h"

#include "app/Messages.h"
#include "app/Seams.h"
#include "data/core/DataError.h"
#include "data/module/UnitDM.h"
#include "data/trail/RecycleBin.h"

void showBin()
{
    frmBin->show();
    frmBin->raise();
    frmBin->activateWindow();
}

void undoLastDelete(QWidget *parent)
{
    if (!Dm->hasTrail() || Dm->ADOConnection->isReadOnly())
        return; // nothing goes to the bin then
    Database &db = *Dm->ADOConnection;
    try {
        const qint64 id = RecycleBin::lastDeletedByUser(db, Dm->binStart());
        if (id == 0) {
            showNotice(parent, programCaption(),
                       QStringLiteral("Возвращать нечего: с запуска программы вы ничего не удаляли."));
            return;
        }
        QString what = RecycleBin::entry(db, id).what();
        what[0] = what[0].toLower();
        Dm->tablesWritten(RecycleBin::restore(db, {id}, [parent](const QString &question) {
            return seams().question(parent, programCaption(), question);
        }));
        showNotice(parent, programCaption(), QStringLiteral("Восстановлено: %1.").arg(what));
    } catch (const DataError &e) {
        showStandardError(parent, e.text());
    }
}
