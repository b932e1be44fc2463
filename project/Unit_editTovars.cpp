#include "project/Unit_editTovars.h"

#include "app/DBControls.h"
#include "app/Messages.h"
#include "app/Seams.h"
#include "app/WindowFrame.h"
#include "data/module/UnitDM.h"
#include "app/ImageList.h"
#include "project/PictureFile.h"

#include <QAction>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TfrmProjectEdit *frmProjectEdit = nullptr;

namespace {

const QString EditCaption = QStringLiteral("Ошибка редактирования");
const int DateWidth = 90;

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *labelFor(QWidget *control, const QString &text)
{
    auto *label = new QLabel(text);
    label->setBuddy(control);
    return label;
}

} // namespace

TfrmProjectEdit::TfrmProjectEdit(QWidget *parent)
    : EditDialog(QStringLiteral("Редактирование проекта"), parent)
{
    setObjectName(QStringLiteral("frmProjectEdit"));
    setFont(programFont());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createMenu();
    layout->setMenuBar(MainMenu1);
    createToolBar();
    layout->addWidget(ToolBar1);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 8);
    body->setSpacing(6);
    body->addWidget(createFields(), 1);
    body->addWidget(createBottomRow());
    layout->addLayout(body, 1);

    const QList<QWidget *> tabOrder = {editNameTov, DBLookupComboBox1, editPrice, DBLookupComboBox2,
                                       DBEdit1, DBEdit2, DBEdit3, DBEdit4, DBCheckBox1, BitBtn3,
                                       btnDelete, DBMemo1, DBCheckBox2, BitBtn1, BitBtn2,
                                       DBLookupComboBox3};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // The client area is the designed size; the menu bar lies above it.
    setWindowFrame(this, QSize(878, 708 + MainMenu1->sizeHint().height()), WindowBorder::Single);
}

void TfrmProjectEdit::createMenu()
{
    MainMenu1 = named(new QMenuBar(this), "MainMenu1");
    N1 = named(MainMenu1->addMenu(QStringLiteral("Справочники")), "N1");
    mnuCat = named(N1->addAction(imageListIcon(0), QStringLiteral("Категории")), "mnuCat");
    mnuYear = named(N1->addAction(imageListIcon(2), QStringLiteral("Года")), "mnuYear");
    connect(mnuCat, &QAction::triggered, this, [this] { mnuCatClick(mnuCat); });
    connect(mnuYear, &QAction::triggered, this, [this] { mnuYearClick(mnuYear); });
}

// The buttons take the main window's menu items in bindData(), once that
// window exists.
void TfrmProjectEdit::createToolBar()
{
    ToolBar1 = named(new QToolBar(this), "ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolButton1 = named(new QToolButton(ToolBar1), "ToolButton1");
    ToolButton2 = named(new QToolButton(ToolBar1), "ToolButton2");
    for (QToolButton *button : {ToolButton1, ToolButton2}) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus); // outside the tab chain
        ToolBar1->addWidget(button);
    }
}

QWidget *TfrmProjectEdit::createFields()
{
    editNameTov = named(new DBEdit, "editNameTov");
    DBLookupComboBox1 = named(new DBLookupComboBox, "DBLookupComboBox1");
    DBLookupComboBox3 = named(new DBLookupComboBox, "DBLookupComboBox3");
    editPrice = named(new DBEdit, "editPrice");
    editPrice->setToolTip(QStringLiteral("При добавлении новой продажи будет подставляться  эта стоимость"));
    DBLookupComboBox2 = named(new DBLookupComboBox, "DBLookupComboBox2");
    DBEdit1 = named(new DBEdit, "DBEdit1");
    DBEdit2 = named(new DBEdit, "DBEdit2");
    DBEdit3 = named(new DBEdit, "DBEdit3");
    for (DBEdit *date : {DBEdit1, DBEdit2, DBEdit3})
        date->setFixedWidth(DateWidth);
    DBEdit4 = named(new DBEdit, "DBEdit4");
    lblRepository = named(labelFor(DBEdit4, QString()), "lblRepository");
    DBCheckBox1 = named(new DBCheckBox(QStringLiteral("Доступность проекта для экспорта")), "DBCheckBox1");
    DBMemo1 = named(new DBMemo, "DBMemo1");
    DBMemo1->setTabChangesFocus(true);

    auto *ideRow = new QHBoxLayout;
    ideRow->addWidget(labelFor(DBLookupComboBox3, QStringLiteral("Версия IDE:")));
    ideRow->addWidget(DBLookupComboBox3, 1);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    grid->addWidget(labelFor(DBLookupComboBox1, QStringLiteral("Категория:")), 0, 0, 1, 2);
    grid->addWidget(DBLookupComboBox1, 1, 0, 1, 2);
    grid->addLayout(ideRow, 2, 0, 1, 2);
    grid->addWidget(labelFor(editPrice, QStringLiteral("Стоимость по умолчанию:")), 3, 0);
    grid->addWidget(editPrice, 4, 0);
    grid->addWidget(labelFor(DBLookupComboBox2, QStringLiteral("Год разработки:")), 5, 0);
    grid->addWidget(DBLookupComboBox2, 6, 0);
    // Only the end date shares a line: that of the start date.
    grid->addWidget(labelFor(DBEdit1, QStringLiteral("Начало разработки:")), 7, 0);
    grid->addWidget(labelFor(DBEdit2, QStringLiteral("Конец разработки:")), 7, 1);
    grid->addWidget(DBEdit1, 8, 0, Qt::AlignLeft);
    grid->addWidget(DBEdit2, 8, 1, Qt::AlignLeft);
    grid->addWidget(labelFor(DBEdit3, QStringLiteral("Последнее обновление:")), 9, 0);
    grid->addWidget(DBEdit3, 10, 0, Qt::AlignLeft);
    grid->addWidget(lblRepository, 11, 0, 1, 2);
    grid->addWidget(DBEdit4, 12, 0, 1, 2);
    grid->addWidget(DBCheckBox1, 13, 0, 1, 2);
    grid->setRowStretch(14, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    // Extra vertical room goes between the groups of entries, not into them.
    for (int row : {3, 5, 7, 9, 11, 13})
        grid->setRowMinimumHeight(row, 22);

    auto *upper = new QHBoxLayout;
    upper->setSpacing(12);
    upper->addLayout(grid, 1);
    upper->addWidget(createPictureGroup(), 0, Qt::AlignTop);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(labelFor(editNameTov, QStringLiteral("Название проекта:")));
    nameRow->addWidget(editNameTov, 1);

    auto *fields = new QWidget;
    auto *column = new QVBoxLayout(fields);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addLayout(nameRow);
    column->addLayout(upper);
    column->addWidget(labelFor(DBMemo1, QStringLiteral("Описание проекта:")));
    column->addWidget(DBMemo1, 1);
    return fields;
}

QGroupBox *TfrmProjectEdit::createPictureGroup()
{
    GroupBox1 = named(new QGroupBox(QStringLiteral("Фото к проекту (400х315)")), "GroupBox1");
    DBImgScreen = named(new DBImage, "DBImgScreen");
    DBImgScreen->setFixedSize(400, 315);
    BitBtn3 = named(new QPushButton(QStringLiteral("Загрузить фото")), "BitBtn3");
    btnDelete = named(new QPushButton(QStringLiteral("Удалить")), "btnDelete");
    for (QPushButton *button : {BitBtn3, btnDelete})
        button->setAutoDefault(false);
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(BitBtn3); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(btnDelete); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(btnDelete);
    auto *layout = new QVBoxLayout(GroupBox1);
    layout->addWidget(DBImgScreen);
    layout->addLayout(buttons);
    return GroupBox1;
}

QWidget *TfrmProjectEdit::createBottomRow()
{
    DBCheckBox2 = named(new DBCheckBox(QStringLiteral("Выводить описание в экспортируемый HTML-каталог")),
                        "DBCheckBox2");
    BitBtn1 = named(new QPushButton(QStringLiteral("Записать")), "BitBtn1");
    BitBtn2 = named(new QPushButton(QStringLiteral("Отмена")), "BitBtn2");
    BitBtn1->setDefault(true);
    BitBtn2->setAutoDefault(false);
    for (QPushButton *button : {BitBtn1, BitBtn2})
        button->setMinimumWidth(100);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(BitBtn2); });

    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(DBCheckBox2);
    layout->addStretch(1);
    layout->addWidget(BitBtn1);
    layout->addWidget(BitBtn2);
    return row;
}

void TfrmProjectEdit::bindData()
{
    setEditedDataset(Dm->tblProject);
    const auto bind = [](auto *control, const char *field) {
        control->setDataSource(Dm->DsTovar);
        control->setDataField(QLatin1String(field));
    };
    bind(editNameTov, "tovName");
    bind(editPrice, "price");
    bind(DBEdit1, "project_begin");
    bind(DBEdit2, "project_end");
    bind(DBEdit3, "datetime_update");
    bind(DBEdit4, "path_repository");
    bind(DBCheckBox1, "isExports");
    bind(DBCheckBox2, "isExportsDesc");
    bind(DBMemo1, "description");
    bind(DBImgScreen, "screenshots");
    const auto bindList = [&bind](DBLookupComboBox *box, const char *field, DataSource *list,
                                  const char *shown) {
        bind(box, field);
        box->setListSource(list);
        box->setKeyField(QLatin1String(field));
        box->setListField(QLatin1String(shown));
    };
    bindList(DBLookupComboBox1, "cat_id", Dm->DsCategory, "catName");
    bindList(DBLookupComboBox2, "year_id", Dm->DsType, "name");
    bindList(DBLookupComboBox3, "version_id", Dm->DsIde, "ide");

    // The tool buttons are the main window's own menu items.
    if (m_books.categories && m_books.years) {
        ToolButton1->setDefaultAction(m_books.categories);
        ToolButton2->setDefaultAction(m_books.years);
    }
}

void TfrmProjectEdit::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        FormShow();
        editNameTov->setFocus();
    }
    EditDialog::showEvent(event);
}

bool TfrmProjectEdit::pendingRowHasPicture() const
{
    return !Dm->tblProjectscreenshots->asBytes().isEmpty();
}

void TfrmProjectEdit::FormShow()
{
    btnDelete->setEnabled(pendingRowHasPicture());
    lblRepository->setText(QStringLiteral("Путь относительно svn://")
                           + Dm->tblConfigsrepository_ip->asString() + QStringLiteral("/"));
}

namespace {

// A box left blank: on an empty catalogue the new row got no key, and a
// category or year added meanwhile is not picked by itself.
bool isBlank(const Field *key)
{
    return key->isNull() || key->asInteger() == 0;
}

} // namespace

// The checks run in the dialog's order; the first that fails ends the click.
bool TfrmProjectEdit::checkEntries()
{
    if (editNameTov->text().isEmpty()) {
        showNotice(this, EditCaption, QStringLiteral("Введите название проекта"));
        editNameTov->setFocus();
        return false;
    }
    if (Dm->tblCategory->isEmpty() || isBlank(Dm->tblProjectcat_id)) {
        showNotice(this, EditCaption, QStringLiteral("Необходимо выбрать одну из категорий."));
        return false;
    }
    // A price of blanks is stored as no price at all, so it counts as empty.
    if (editPrice->text().trimmed().isEmpty()) {
        showNotice(this, EditCaption,
                   QStringLiteral("Введите стоимость проекта (Можно указать 0 при необходимости)"));
        return false;
    }
    if (Dm->tblYear->isEmpty() || isBlank(Dm->tblProjectyear_id)) {
        showNotice(this, EditCaption, QStringLiteral("Необходимо выбрать год разработки."));
        return false;
    }
    return true;
}

// The row is posted whether or not anything was changed, so a copy saved
// untouched is inserted as the data module filled it.
void TfrmProjectEdit::BitBtn1Click(QObject *)
{
    if (!checkEntries())
        return;
    if (postGuarded(editNameTov, EditCaption,
                    QStringLiteral("Произошли ошибки при сохранении проекта. Недопустимы одинаковые названия проектов!")))
        accept();
}

void TfrmProjectEdit::BitBtn2Click(QObject *)
{
    reject();
}

// The picture goes into the pending row only: "Записать" stores it with
// the rest, "Отмена" brings back the one stored before.
void TfrmProjectEdit::BitBtn3Click(QObject *)
{
    const QString file = seams().openFileName(this, QString(), QString(), pictureFileFilter());
    if (file.isEmpty())
        return;
    QString error;
    const QByteArray bitmap = pictureFileAsBitmap(file, &error);
    if (bitmap.isEmpty()) {
        showStandardError(this, error);
        return;
    }
    Dm->tblProjectscreenshots->setAsBytes(bitmap);
    QGuiApplication::clipboard()->setImage(QImage::fromData(bitmap));
    FormShow();
}

void TfrmProjectEdit::btnDeleteClick(QObject *)
{
    if (!pendingRowHasPicture())
        return;
    Dm->tblProjectscreenshots->clear();
    FormShow();
}

void TfrmProjectEdit::mnuCatClick(QObject *)
{
    if (m_books.openCategories)
        m_books.openCategories(mnuCat);
}

void TfrmProjectEdit::mnuYearClick(QObject *)
{
    if (m_books.openYears)
        m_books.openYears(mnuYear);
}
