#include "reference/Unit_category_edit.h"

#include "app/WindowFrame.h"
#include "data/module/UnitDM.h"
#include "reference/Unit_Category.h"

TfrmCatEdit *frmCatEdit = nullptr;

namespace {
const ReferenceEditTexts CategoryEditTexts{
    QStringLiteral("Название категории"),
    QStringLiteral("Сохранить"),
    QStringLiteral("Необходимо ввести название категории"),
    QStringLiteral("Названия категорий должны быть уникальными!"),
};
}

TfrmCatEdit::TfrmCatEdit(QWidget *parent)
    : ReferenceEditDialog(QStringLiteral("Редактирвоание категории"), CategoryEditTexts, "editCat",
                          parent),
      editCat(nameEdit)
{
    setObjectName(QStringLiteral("frmCatEdit"));
    setWindowFrame(this, QSize(359, 190), WindowBorder::Single);
}

void TfrmCatEdit::bindData()
{
    bindName(Dm->DsCategory, QStringLiteral("catName"));
}

// The saved category is current: the main window shows its projects.
void TfrmCatEdit::afterPost()
{
    if (mayFilterProjects())
        projectListFollow.filterCategory();
}
