#include "reference/Unit_ide.h"

TfrmIde *frmIde = nullptr;

TfrmIde::TfrmIde(QWidget *parent)
    : ModalWindow(QStringLiteral("Справочник \"Версия IDE\""), parent)
{
    setObjectName(QStringLiteral("frmIde"));
    setWindowFrame(this, QSize(531, 461), WindowBorder::Single,
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

void TfrmIde::bindData()
{
}
