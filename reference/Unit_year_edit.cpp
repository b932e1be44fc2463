#include "reference/Unit_year_edit.h"

#include "app/WindowFrame.h"

TfrmYearEdit *frmYearEdit = nullptr;

TfrmYearEdit::TfrmYearEdit(QWidget *parent)
    : EditDialog(QStringLiteral("Редактирование года разработки"), parent)
{
    setObjectName(QStringLiteral("frmYearEdit"));
    setWindowFrame(this, QSize(438, 132), WindowBorder::Sizeable);
}

void TfrmYearEdit::bindData()
{
}
