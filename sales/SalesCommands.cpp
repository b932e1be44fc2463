// The sales commands of the main window: the menu items and the buttons of
// the frame "Продажи" forward to them.

#include "sales/SalesCommands.h"

#include "app/Messages.h"
#include "app/WaitCursor.h"
#include "data/module/UnitDM.h"
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

namespace SalesCommands {

void addSale(QWidget *parent)
{
    if (Dm->tblProject->recNo() == -1) {
        showNotice(parent, MessageCaption, QStringLiteral("Чтобы добавить продажу неободимо выбрать проект"));
        return;
    }
    if (!ordersModifiable(parent))
        return;
    // The data module fills in today's date and the project's price.
    openOrdersEditor(parent, [] { Dm->tblOrders->append(); });
}

void editSale(QWidget *parent)
{
    if (Dm->tblOrders->recNo() == -1) {
        showNotice(parent, MessageCaption, QStringLiteral("Отсутствуют продажи для модификации"));
        return;
    }
    if (!ordersModifiable(parent))
        return;
    openOrdersEditor(parent, [] { Dm->tblOrders->edit(); });
}

void deleteSale(QWidget *parent)
{
    Dataset *orders = Dm->tblOrders;
    if (orders->recNo() == -1) {
        showNotice(parent, QStringLiteral("Удаление товара"), QStringLiteral("Отсутствуют продажи для удаления"));
        return;
    }
    const QString question = QStringLiteral("Вы действительно хотите удалить продажу \"%1\"?")
                                 .arg(Dm->tblOrdersdate_orders->asString());
    if (!askDeleteCurrent(parent, orders, question))
        return;
    try {
        const WaitCursor wait;
        orders->remove(); // the data module re-reads the sales total
    } catch (const DataError &error) {
        showStandardError(parent, error.text());
    }
}

void showAnalysis()
{
    frmSalesAnalysis->exec();
}

} // namespace SalesCommands
