#include "reference/Unit_ide_edit.h"

#include "app/WindowFrame.h"

TfrmIdeEdit *frmIdeEdit = nullptr;

TfrmIdeEdit::TfrmIdeEdit(QWidget *parent)
    : EditDialog(QStringLiteral("Редактирование версии IDE"), parent)
{
    setObjectName(QStringLiteral("frmIdeEdit"));
    setWindowFrame(this, QSize(439, 132), WindowBorder::Single,
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

void TfrmIdeEdit::bindData()
{
}
