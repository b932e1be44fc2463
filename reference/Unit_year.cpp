#include "reference/Unit_year.h"

TfrmYear *frmYear = nullptr;

TfrmYear::TfrmYear(QWidget *parent)
    : ModalWindow(QStringLiteral("Справочник \"Годы разработки\""), parent)
{
    setObjectName(QStringLiteral("frmYear"));
    setWindowFrame(this, QSize(531, 462), WindowBorder::Single);
}

void TfrmYear::bindData()
{
}
