#include "reference/Unit_year.h"

#include "app/DBGrid.h"
#include "data/module/UnitDM.h"
#include "reference/Unit_year_edit.h"

TfrmYear *frmYear = nullptr;

namespace {
const ReferenceListTexts YearTexts{
    QStringLiteral("Сообщение"),
    QStringLiteral("Отсутствуют данные для модификации"),
    QStringLiteral("Отсутствуют данные для удаления"),
    QStringLiteral("Удаление группы"),
    QStringLiteral("Нельзя удалить год, так как он используется в проектах"),
    QStringLiteral("Вы действительно хотите удалить неиспользуемый год разработки \"%1\"?"),
};
constexpr int KeyColumnWidth = 40;
constexpr int NameColumnWidth = 300;
}

TfrmYear::TfrmYear(QWidget *parent)
    : ButtonBookWindow(QStringLiteral("Справочник \"Годы разработки\""), YearTexts, parent)
{
    setObjectName(QStringLiteral("frmYear"));
    setWindowFrame(this, QSize(531, 462), WindowBorder::Single);
    // DBGrid1DrawColumnCell: the cells are painted by gridDrawStriped.
    DBGrid1->setStriped(true);
}

void TfrmYear::bindData()
{
    bindBook({Dm->DsType, Dm->tblYearyear_id, Dm->tblYearname, Dm->sqlProjectYear,
              QStringLiteral("yearid"), Dm->tblProjectyear_id},
             {{QStringLiteral("year_id"), QStringLiteral("ID"), Qt::AlignLeft, KeyColumnWidth},
              {QStringLiteral("name"), QStringLiteral("Года разработки"), Qt::AlignLeft, NameColumnWidth}},
             frmYearEdit);
}
