#include "project/Unit_editTovars.h"

#include "app/WindowFrame.h"

TfrmProjectEdit *frmProjectEdit = nullptr;

TfrmProjectEdit::TfrmProjectEdit(QWidget *parent)
    : EditDialog(QStringLiteral("Редактирование проекта"), parent)
{
    setObjectName(QStringLiteral("frmProjectEdit"));
    setWindowFrame(this, QSize(878, 708), WindowBorder::Single);
}

void TfrmProjectEdit::bindData()
{
}
