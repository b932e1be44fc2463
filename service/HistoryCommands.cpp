#include "service/HistoryCommands.h"

#include "data/module/UnitDM.h"
#include "service/Unit_history.h"

void showProjectHistory()
{
    if (Dm->tblProject->isEmpty())
        return;
    frmHistory->showFor(Dm->tblProjectproject_id->asInteger(), Dm->tblProjecttovName->asString());
}

void showHistory()
{
    frmHistory->showFor(0);
}
