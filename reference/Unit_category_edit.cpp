#include "reference/Unit_category_edit.h"

#include "app/WindowFrame.h"

TfrmCatEdit *frmCatEdit = nullptr;

TfrmCatEdit::TfrmCatEdit(QWidget *parent)
    : EditDialog(QStringLiteral("Редактирвоание категории"), parent)
{
    setObjectName(QStringLiteral("frmCatEdit"));
    setWindowFrame(this, QSize(359, 190), WindowBorder::Single);
}

void TfrmCatEdit::bindData()
{
}
