// The project commands: add, add as a copy, edit and delete the current
// project. The pop-up menu of the project grid only repeats them.

#include "main/Unit_tr.h"

#include "app/Messages.h"
#include "app/WaitCursor.h"
#include "data/module/UnitDM.h"
#include "project/Unit_editTovars.h"

#include <QScopeGuard>

namespace {

bool projectsModifiable(QWidget *owner)
{
    if (Dm->tblProject->canModify())
        return true;
    showNotice(owner, QStringLiteral("Ошибка"), QStringLiteral("Нельзя модифицировать данные"));
    return false;
}

} // namespace

void TfrmMain::mnuAddClick(QObject *)
{
    if (!projectsModifiable(this))
        return;
    Dm->tblProject->append();
    frmProjectEdit->exec();
}

// The copy takes the values of the project current when the row is appended.
void TfrmMain::mnuProjectCopyClick(QObject *sender)
{
    Dm->isCopy = true;
    // A refused or failed add must not turn the next plain add into a copy.
    const auto consumed = qScopeGuard([] { Dm->isCopy = false; });
    mnuAddClick(sender);
}

void TfrmMain::mnuEditClick(QObject *)
{
    if (Dm->tblProject->recordCount() == 0) {
        showNotice(this, QStringLiteral("Сообщение"), QStringLiteral("Отсутствуют проекты для редактирования"));
        return;
    }
    if (!projectsModifiable(this))
        return;
    Dm->tblProject->edit();
    frmProjectEdit->exec();
}

// The project goes with its sales, in one transaction: both or neither.
void TfrmMain::mnuDeleteClick(QObject *)
{
    if (Dm->tblProject->recordCount() == 0) {
        showNotice(this, QStringLiteral("Удаление проекта"), QStringLiteral("Отсутствуют проекты для удаления"));
        return;
    }
    const QString question = QStringLiteral("Вы действительно хотите удалить проект \"")
                             + Dm->tblProjecttovName->asString() + QStringLiteral("\"?");
    if (!askDeleteCurrent(this, Dm->tblProject, question))
        return;
    const WaitCursor wait;
    Dm->deleteProjectWithOrders();
}

void TfrmMain::popTovarAddClick(QObject *sender) { mnuAddClick(sender); }
void TfrmMain::popProjectCopyClick(QObject *sender) { mnuProjectCopyClick(sender); }
void TfrmMain::popTovarEditClick(QObject *sender) { mnuEditClick(sender); }
void TfrmMain::popTovarDeleteClick(QObject *sender) { mnuDeleteClick(sender); }
