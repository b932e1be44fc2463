// The sales commands of the main window: the menu items and the buttons of
// the frame "Продажи".

#include "main/Unit_tr.h"

#include "app/Messages.h"
#include "app/WaitCursor.h"
#include "data/UnitDM.h"
#include "sales/Unit_orders_edit.h"
#include "sales/Unit_sales_analysis.h"

namespace {

const QString MessageCaption = QStringLiteral("Сообщение");

// Adding and editing need a dataset that accepts changes.
bool ordersModifiable(QWidget *owner)
{
    if (Dm->tblOrders->canModify())
        return true;
    showNotice(owner, QStringLiteral("Ошибка"), QStringLiteral("Нельзя модифицировать данные"));
    return false;
}

// Starts the pending row and opens the editor on it; a refusal of the data
// layer ends the command in the standard error box.
template <typename Start> void openOrdersEditor(QWidget *owner, Start start)
{
    try {
        start();
    } catch (const DataError &error) {
        showStandardError(owner, error.text());
        return;
    }
    frmOrdersEdit->exec();
}

} // namespace

void TfrmMain::mnuPayAddClick(QObject *)
{
    if (Dm->tblProject->recNo() == -1) {
        showNotice(this, MessageCaption, QStringLiteral("Чтобы добавить продажу неободимо выбрать проект"));
        return;
    }
    if (!ordersModifiable(this))
        return;
    // The data module fills in today's date and the project's price.
    openOrdersEditor(this, [] { Dm->tblOrders->append(); });
}

void TfrmMain::mnuPayEditClick(QObject *)
{
    if (Dm->tblOrders->recNo() == -1) {
        showNotice(this, MessageCaption, QStringLiteral("Отсутствуют продажи для модификации"));
        return;
    }
    if (!ordersModifiable(this))
        return;
    openOrdersEditor(this, [] { Dm->tblOrders->edit(); });
}

void TfrmMain::mnuPayDelClick(QObject *)
{
    Dataset *orders = Dm->tblOrders;
    if (orders->recNo() == -1) {
        showNotice(this, QStringLiteral("Удаление товара"), QStringLiteral("Отсутствуют продажи для удаления"));
        return;
    }
    const QString question = QStringLiteral("Вы действительно хотите удалить продажу \"%1\"?")
                                 .arg(Dm->tblOrdersdate_orders->asString());
    if (!askDeleteCurrent(this, orders, question))
        return;
    try {
        const WaitCursor wait;
        orders->remove(); // the data module re-reads the sales total
    } catch (const DataError &error) {
        showStandardError(this, error.text());
    }
}

void TfrmMain::BitBtn1Click(QObject *sender) { mnuPayAddClick(sender); }
void TfrmMain::BitBtn3Click(QObject *sender) { mnuPayEditClick(sender); }
void TfrmMain::BitBtn2Click(QObject *sender) { mnuPayDelClick(sender); }

void TfrmMain::mnuSalesAnalysisClick(QObject *)
{
    frmSalesAnalysis->exec();
}
