#include "reference/Unit_Category.h"

TfrmCategory *frmCategory = nullptr;

TfrmCategory::TfrmCategory(QWidget *parent)
    : ModalWindow(QStringLiteral("Справочник \"Категории\""), parent)
{
    setObjectName(QStringLiteral("frmCategory"));
    setWindowFrame(this, QSize(467, 481), WindowBorder::Single);
}

void TfrmCategory::bindData()
{
}
