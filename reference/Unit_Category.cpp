#include "reference/Unit_Category.h"

#include "app/DBGrid.h"
#include "data/module/UnitDM.h"
#include "reference/Unit_category_edit.h"

#include <QAction>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>

TfrmCategory *frmCategory = nullptr;
ProjectListFollow projectListFollow;

namespace {
const ReferenceListTexts CategoryTexts{
    QStringLiteral("Ошибка"),
    QStringLiteral("Отсутствуют категории для редактирования"),
    QStringLiteral("Отсутствуют категории для удаления"),
    QStringLiteral("Удаление группы"),
    QStringLiteral("Нельзя удалить категорию с проектами"),
    QStringLiteral("Вы действительно хотите удалить пустую категорию: %1?"),
};
constexpr int NameColumnWidth = 300;
}

TfrmCategory::TfrmCategory(QWidget *parent)
    : ReferenceBookWindow(QStringLiteral("Справочник \"Категории\""), CategoryTexts, parent)
{
    setObjectName(QStringLiteral("frmCategory"));
    menuOwner = new QMenuBar(this);
    menuOwner->setObjectName(QStringLiteral("menuOwner"));
    mnuAdd = makeAction("mnuAdd", QStringLiteral("Добавить"), QKeySequence(Qt::CTRL | Qt::Key_N),
                        &TfrmCategory::mnuAddClick);
    mnuEdit = makeAction("mnuEdit", QStringLiteral("Редактировать"), QKeySequence(Qt::CTRL | Qt::Key_E),
                         &TfrmCategory::mnuEditClick);
    mnuDelete = makeAction("mnuDelete", QStringLiteral("Удалить"), QKeySequence(Qt::Key_Delete),
                           &TfrmCategory::mnuDeleteClick);
    // The client area is the designed size; the menu bar lies above it.
    setWindowFrame(this, QSize(467, 481 + menuOwner->sizeHint().height()), WindowBorder::Single);

    DBGridArb = createGrid("DBGridArb");
    // DBGridArbDrawColumnCell: the cells are painted by gridDrawStriped.
    DBGridArb->setStriped(true);
    btnAdd = createButton("btnAdd", QStringLiteral("Добавить"));
    btnEdit = createButton("btnEdit", QStringLiteral("Редактировать"));
    btnDelete = createButton("btnDelete", QStringLiteral("Удалить"));
    BitBtn1 = createButton("BitBtn1", QStringLiteral("Выход"));
    arrange(DBGridArb, {btnAdd, btnEdit, btnDelete}, BitBtn1);
    layout()->setMenuBar(menuOwner);

    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(btnAdd); });
    connect(btnEdit, &QPushButton::clicked, this, [this] { btnEditClick(btnEdit); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(btnDelete); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(DBGridArb, &DBGrid::cellClick, this, [this] { DBGridArbCellClick(DBGridArb); });
}

QAction *TfrmCategory::makeAction(const char *name, const QString &text,
                                  const QKeySequence &shortcut,
                                  void (TfrmCategory::*handler)(QObject *))
{
    auto *action = menuOwner->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, action, handler] { (this->*handler)(action); });
    return action;
}

void TfrmCategory::bindData()
{
    bindBook({Dm->DsCategory, Dm->tblCategorycat_id, Dm->tblCategorycatName, Dm->sqlProjectCat,
              QStringLiteral("cat_id"), Dm->tblProjectcat_id},
             {{QStringLiteral("catName"), QStringLiteral("Категория"), Qt::AlignLeft, NameColumnWidth}},
             frmCatEdit);
}

void TfrmCategory::mnuAddClick(QObject *) { addEntry(); }
void TfrmCategory::mnuEditClick(QObject *) { editEntry(); }
void TfrmCategory::mnuDeleteClick(QObject *) { deleteEntry(); }
void TfrmCategory::btnAddClick(QObject *) { mnuAddClick(mnuAdd); }
void TfrmCategory::btnEditClick(QObject *) { mnuEditClick(mnuEdit); }
void TfrmCategory::btnDeleteClick(QObject *) { mnuDeleteClick(mnuDelete); }
void TfrmCategory::BitBtn1Click(QObject *) { close(); }

void TfrmCategory::DBGridArbCellClick(QObject *sender)
{
    if (mayFilterProjects())
        projectListFollow.categoryClick(sender);
}

bool mayFilterProjects()
{
    return projectListFollow.categoryClick && projectListFollow.filterCategory && !Dm->tblProject->isEditing();
}
