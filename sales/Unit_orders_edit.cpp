#include "sales/Unit_orders_edit.h"

#include "app/WindowFrame.h"

TfrmOrdersEdit *frmOrdersEdit = nullptr;

TfrmOrdersEdit::TfrmOrdersEdit(QWidget *parent)
    : EditDialog(QStringLiteral("Редактирование продажи"), parent)
{
    setObjectName(QStringLiteral("frmOrdersEdit"));
    setWindowFrame(this, QSize(596, 303), WindowBorder::Single);
}

void TfrmOrdersEdit::bindData()
{
}
