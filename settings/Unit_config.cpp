#include "settings/Unit_config.h"

#include "app/WindowFrame.h"

TfrmOption *frmOption = nullptr;

TfrmOption::TfrmOption(QWidget *parent)
    : EditDialog(QStringLiteral("Настройки"), parent)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowFrame(this, QSize(473, 227), WindowBorder::Single);
}

void TfrmOption::bindData()
{
}
