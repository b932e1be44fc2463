// The arrangement of the main window's frames and their controls.

#include "main/Unit_tr.h"

#include "app/CachedGroupBox.h"
#include "app/DBControls.h"
#include "app/DBGrid.h"
#include "app/NamedControls.h"
#include "main/ClipPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>

namespace {

const int AreaMargin = 6;
const int LeftColumnWidth = 560;
const int ImageGap = 8;
const int RightFramesLeft = 994;

QGroupBox *frame(const char *name, const QString &title, QWidget *parent)
{
    auto *box = new CachedGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

using controls::button;
using controls::named;

QLabel *labelFor(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

DBGrid *grid(const char *name, QWidget *parent, const QList<GridColumn> &columns)
{
    auto *g = named<DBGrid>(name, parent);
    g->setColumns(columns);
    return g;
}

DBText *dbText(const char *name, const QString &field, QWidget *parent)
{
    auto *text = named<DBText>(name, parent);
    text->setDataField(field);
    return text;
}

} // namespace

QWidget *TfrmMain::createProjectsArea()
{
    grpProjects = frame("grpProjects", QStringLiteral("Программные проекты"), this);

    gridCatalog = grid("gridCatalog", grpProjects,
                       {{QStringLiteral("catName"), QStringLiteral("Категория"), Qt::AlignLeft, 193}});
    gridCatalog->setFixedWidth(200);

    const Qt::Alignment centred = Qt::AlignHCenter;
    gridAuto = grid("gridAuto", grpProjects,
                    {{QStringLiteral("project_id"), QStringLiteral("Код проекта"), centred, 69},
                     {QStringLiteral("strCat"), QStringLiteral("Категория"), Qt::AlignLeft, -1},
                     {QStringLiteral("strIde"), QStringLiteral("IDE"), centred, 69},
                     {QStringLiteral("strYear"), QStringLiteral("Год"), centred, 62},
                     {QStringLiteral("tovName"), QStringLiteral("Наименование"), Qt::AlignLeft, 1065},
                     {QStringLiteral("price"), QStringLiteral("Цена"), Qt::AlignRight, 77},
                     {QStringLiteral("project_begin"), QStringLiteral("Начало"), centred, 101},
                     {QStringLiteral("project_end"), QStringLiteral("Конец"), centred, 96},
                     {QStringLiteral("datetime_update"), QStringLiteral("Обновление"), centred, 86}});
    // gridAutoDrawColumnCell: the cells are painted by gridDrawStriped.
    gridAuto->setStriped(true);
    gridAuto->setRowLines(false);
    gridAuto->viewport()->setCursor(Qt::PointingHandCursor);
    gridAuto->setContextMenuPolicy(Qt::CustomContextMenu);

    auto *upper = new QHBoxLayout;
    upper->addWidget(gridCatalog);
    upper->addWidget(gridAuto, 1);

    auto *layout = new QVBoxLayout(grpProjects);
    layout->setContentsMargins(AreaMargin, 4, AreaMargin, 6);
    layout->addLayout(upper, 1);
    layout->addWidget(new ClipPanel(createLowerArea(), grpProjects));
    return grpProjects;
}

// The lower area keeps its designed arrangement; the right-hand frames start
// 994 pixels from the frame's left edge and show only in a wide window.
QWidget *TfrmMain::createLowerArea()
{
    auto *area = new QWidget;
    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(createSalesFrame());
    left->addWidget(createSearchFrame());
    left->addStretch(1);

    DBImage1 = named<DBImage>("DBImage1", area);
    DBImage1->setDataField(QStringLiteral("screenshots"));
    DBImage1->setFixedSize(400, 315);

    auto *right = new QVBoxLayout;
    right->setSpacing(4);
    right->addWidget(createStatisticFrame());
    right->addWidget(createCurrentFrame());
    right->addStretch(1);

    auto *layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(left);
    layout->addSpacing(ImageGap);
    layout->addWidget(DBImage1, 0, Qt::AlignTop);
    // Measured from the frame's edge: past its border and the area's margin.
    const int areaLeft = grpProjects->contentsMargins().left() + AreaMargin;
    layout->addSpacing(RightFramesLeft - areaLeft - LeftColumnWidth - ImageGap - DBImage1->width());
    layout->addLayout(right);
    layout->addStretch(1);
    return area;
}

QGroupBox *TfrmMain::createSalesFrame()
{
    grpSales = frame("grpSales", QStringLiteral("Продажи"), this);
    grpSales->setFixedSize(LeftColumnWidth, 160);
    const Qt::Alignment centred = Qt::AlignHCenter;
    DBGrid1 = grid("DBGrid1", grpSales,
                   {{QStringLiteral("order_id"), QStringLiteral("ID"), centred, 50},
                    {QStringLiteral("date_orders"), QStringLiteral("Дата продажи"), centred, 93},
                    {QStringLiteral("summ"), QStringLiteral("Сумма, руб."), Qt::AlignRight, 99},
                    {QStringLiteral("comments"), QStringLiteral("Описание"), Qt::AlignLeft, -1}});
    // DBGrid1DrawColumnCell: the cells are painted by gridDrawStriped.
    DBGrid1->setStriped(true);

    BitBtn1 = button("BitBtn1", QStringLiteral("Добавить"), grpSales);
    BitBtn3 = button("BitBtn3", QStringLiteral("Редактировать"), grpSales);
    BitBtn2 = button("BitBtn2", QStringLiteral("Удалить"), grpSales);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(grpSales);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    return grpSales;
}

QGroupBox *TfrmMain::createSearchFrame()
{
    GroupBox2 = frame("GroupBox2", QStringLiteral("Отбор данных"), this);
    GroupBox2->setFixedSize(LeftColumnWidth, 150);
    editTovName = named<QLineEdit>("editTovName", GroupBox2);
    EditKodProject = named<QLineEdit>("EditKodProject", GroupBox2);
    checkYear = named<QCheckBox>("checkYear", GroupBox2);
    checkYear->setText(QStringLiteral("Год разработки:"));
    cbYear = named<QComboBox>("cbYear", GroupBox2);
    cbYear->setEnabled(false);
    cbPriceOpt = named<QComboBox>("cbPriceOpt", GroupBox2);
    cbPriceOpt->addItems({QStringLiteral("="), QStringLiteral(">="), QStringLiteral("<="), QStringLiteral("<>")});
    cbPriceOpt->setCurrentIndex(1);
    editPrice = named<QLineEdit>("editPrice", GroupBox2);
    checkIde = named<QCheckBox>("checkIde", GroupBox2);
    checkIde->setText(QStringLiteral("Версия IDE:"));
    cbIde = named<QComboBox>("cbIde", GroupBox2);
    cbIde->setEnabled(false);
    BtnSearch = button("BtnSearch", QStringLiteral("Найти"), GroupBox2);
    BtnSearch->setDefault(true);
    btnClear = button("btnClear", QStringLiteral("Очистить"), GroupBox2);

    auto *layout = new QGridLayout(GroupBox2);
    layout->setContentsMargins(8, 2, 8, 6);
    layout->setVerticalSpacing(2);
    layout->setHorizontalSpacing(10);
    layout->addWidget(labelFor(QStringLiteral("Наименование проекта:"), editTovName), 0, 0, 1, 4);
    layout->addWidget(editTovName, 1, 0, 1, 4);
    layout->addWidget(labelFor(QStringLiteral("Код проекта:"), EditKodProject), 2, 0);
    layout->addWidget(checkYear, 2, 1);
    layout->addWidget(labelFor(QStringLiteral("Цена:"), cbPriceOpt), 2, 2, 1, 2);
    layout->addWidget(EditKodProject, 3, 0);
    layout->addWidget(cbYear, 3, 1);
    layout->addWidget(cbPriceOpt, 3, 2);
    layout->addWidget(editPrice, 3, 3);
    layout->addWidget(checkIde, 4, 0);
    layout->addWidget(cbIde, 5, 0);
    layout->addWidget(BtnSearch, 5, 2);
    layout->addWidget(btnClear, 5, 3);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 3);
    layout->setColumnStretch(2, 2);
    layout->setColumnStretch(3, 2);
    return GroupBox2;
}

QGroupBox *TfrmMain::createStatisticFrame()
{
    grpStatistic = frame("grpStatistic", QStringLiteral("Статистика"), this);
    grpStatistic->setFixedSize(385, 127);
    grpStatistic->setFont(QFont(QStringLiteral("Tahoma"), 12));
    DBTextAllCount = dbText("DBTextAllCount", QStringLiteral("allCountProject"), grpStatistic);
    DBTextAllPrice = dbText("DBTextAllPrice", QStringLiteral("allPriceProject"), grpStatistic);
    DBTextAllSumm = dbText("DBTextAllSumm", QStringLiteral("allSumm"), grpStatistic);

    auto *layout = new QFormLayout(grpStatistic);
    layout->setContentsMargins(10, 6, 10, 6);
    const QList<QPair<QString, DBText *>> rows = {
        {QStringLiteral("Всего проектов:"), DBTextAllCount},
        {QStringLiteral("Проектов на сумму, руб:"), DBTextAllPrice},
        {QStringLiteral("Всего продаж, руб:"), DBTextAllSumm}};
    for (const auto &[text, value] : rows) {
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        QPalette palette = value->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 128, 0));
        value->setPalette(palette);
        layout->addRow(labelFor(text, value), value);
    }
    return grpStatistic;
}

QGroupBox *TfrmMain::createCurrentFrame()
{
    grpCurrent = frame("grpCurrent", QStringLiteral("Текущий проект"), this);
    grpCurrent->setFixedSize(387, 185);
    DBTextTovName = dbText("DBTextTovName", QStringLiteral("tovName"), grpCurrent);
    DBTextTovName->setWordWrap(true);
    DBTextTovName->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    DBTextTovName->setFixedHeight(2 * DBTextTovName->fontMetrics().lineSpacing() + 2);
    DBTextPrice = dbText("DBTextPrice", QStringLiteral("price"), grpCurrent);
    DBCheckExports = named<DBCheckBox>("DBCheckExports", grpCurrent);
    DBCheckExports->setDataField(QStringLiteral("isExports"));
    DBCheckExportsDesc = named<DBCheckBox>("DBCheckExportsDesc", grpCurrent);
    DBCheckExportsDesc->setDataField(QStringLiteral("isExportsDesc"));
    for (DBCheckBox *box : {DBCheckExports, DBCheckExportsDesc})
        box->setReadOnlyBox(true);

    auto *layout = new QFormLayout(grpCurrent);
    layout->setContentsMargins(10, 6, 10, 6);
    const QList<QPair<QString, QWidget *>> rows = {
        {QStringLiteral("Название:"), DBTextTovName},
        {QStringLiteral("Цена, руб:"), DBTextPrice},
        {QStringLiteral("Экспорт проекта:"), DBCheckExports},
        {QStringLiteral("Экспорт описания:"), DBCheckExportsDesc}};
    for (const auto &[text, value] : rows) {
        QLabel *label = labelFor(text, value);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        layout->addRow(label, value);
    }
    return grpCurrent;
}

void TfrmMain::connectControls()
{
    connect(gridCatalog, &DBGrid::cellClick, this, [this] { gridCatalogCellClick(gridCatalog); });
    connect(gridAuto, &DBGrid::dblClick, this, [this] { gridAutoDblClick(gridAuto); });
    connect(gridAuto, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { popTovar->exec(gridAuto->viewport()->mapToGlobal(pos)); });

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(BitBtn3); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(BitBtn2); });

    connect(BtnSearch, &QPushButton::clicked, this, [this] { BtnSearchClick(BtnSearch); });
    connect(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(btnClear); });
    // A change of the check mark, by the user or by the program, runs the handler.
    connect(checkYear, &QCheckBox::toggled, this, [this] { checkYearClick(checkYear); });
    connect(checkIde, &QCheckBox::toggled, this, [this] { checkIdeClick(checkIde); });
    for (QLineEdit *box : {EditKodProject, editPrice, editTovName})
        box->installEventFilter(this);
    // Pasted, dropped and input-method text meets the same rule as typed keys.
    for (QLineEdit *box : {EditKodProject, editPrice})
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));

    // The window's default and cancel buttons. Enter on a focused push button
    // clicks that button, as a default button gives way to it.
    for (auto key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, [this] {
            auto *focused = qobject_cast<QPushButton *>(focusWidget());
            (focused ? focused : BtnSearch)->click();
        });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, btnClear,
            &QPushButton::click);
}
