#include "reference/Unit_ide_edit.h"

#include "app/WindowFrame.h"
#include "data/module/UnitDM.h"

TfrmIdeEdit *frmIdeEdit = nullptr;

namespace {
const ReferenceEditTexts IdeEditTexts{
    QStringLiteral("Версия IDE:"),
    QStringLiteral("ОК"),
    QStringLiteral("Необходимо ввести версию IDE"),
    QStringLiteral("Версии IDE должны быть уникальными!"),
};
}

TfrmIdeEdit::TfrmIdeEdit(QWidget *parent)
    : ReferenceEditDialog(QStringLiteral("Редактирование версии IDE"), IdeEditTexts, "editIde", parent),
      editIde(nameEdit)
{
    setObjectName(QStringLiteral("frmIdeEdit"));
    setWindowFrame(this, QSize(439, 132), WindowBorder::Single,
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

void TfrmIdeEdit::bindData()
{
    bindName(Dm->DsIde, QStringLiteral("ide"));
}
