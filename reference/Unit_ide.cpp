#include "reference/Unit_ide.h"

#include "app/DBGrid.h"
#include "data/module/UnitDM.h"
#include "reference/Unit_ide_edit.h"

TfrmIde *frmIde = nullptr;

namespace {
const ReferenceListTexts IdeTexts{
    QStringLiteral("Сообщение"),
    QStringLiteral("Отсутствуют данные для модификации"),
    QStringLiteral("Отсутствуют данные для удаления"),
    QStringLiteral("Удаление IDE"),
    QStringLiteral("Нельзя удалить IDE, так как он используется в проектах"),
    QStringLiteral("Вы действительно хотите удалить неиспользуемую версию разработки \"%1\"?"),
};
constexpr int NameColumnWidth = 300;
}

TfrmIde::TfrmIde(QWidget *parent)
    : ButtonBookWindow(QStringLiteral("Справочник \"Версия IDE\""), IdeTexts, parent)
{
    setObjectName(QStringLiteral("frmIde"));
    setWindowFrame(this, QSize(531, 461), WindowBorder::Single,
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

// The key column version_id stays hidden.
void TfrmIde::bindData()
{
    bindBook({Dm->DsIde, Dm->tblIdeversion_id, Dm->tblIdeide, Dm->sqlProjectIde,
              QStringLiteral("version_id"), Dm->tblProjectversion_id},
             {{QStringLiteral("ide"), QStringLiteral("Версия IDE"), Qt::AlignLeft, NameColumnWidth}},
             frmIdeEdit);
}
