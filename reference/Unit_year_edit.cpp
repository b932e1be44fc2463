#include "reference/Unit_year_edit.h"

#include "app/WindowFrame.h"
#include "data/module/UnitDM.h"

TfrmYearEdit *frmYearEdit = nullptr;

namespace {
const ReferenceEditTexts YearEditTexts{
    QStringLiteral("Год:"),
    QStringLiteral("ОК"),
    QStringLiteral("Необходимо ввести год разработки"),
    QStringLiteral("Годы разработки должны быть уникальными!"),
};
}

TfrmYearEdit::TfrmYearEdit(QWidget *parent)
    : ReferenceEditDialog(QStringLiteral("Редактирование года разработки"), YearEditTexts, "editYear",
                          parent),
      editYear(nameEdit)
{
    setObjectName(QStringLiteral("frmYearEdit"));
    setWindowFrame(this, QSize(438, 132), WindowBorder::Sizeable);
}

void TfrmYearEdit::bindData()
{
    bindName(Dm->DsType, QStringLiteral("name"));
}
