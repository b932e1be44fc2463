#include "main/Unit_tr.h"

#include "app/DBControls.h"
#include "app/DBGrid.h"
#include "app/Messages.h"
#include "app/Seams.h"
#include "app/UserSettings.h"
#include "app/WindowFrame.h"
#include "data/module/UnitDM.h"
#include "output/CatalogPrint.h"
#include "app/ImageList.h"
#include "reference/Unit_Category.h"
#include "reference/Unit_ide.h"
#include "reference/Unit_year.h"
#include "settings/Unit_about.h"
#include "settings/Unit_config.h"

#include <QAction>
#include <QActionGroup>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TfrmMain *frmMain = nullptr;

namespace {
const int DesignedClientWidth = 984;
const int DesignedClientHeight = 731;
const int WideScreen = 1404;
const int NarrowWidth = 1000;
const int SortAheadDelay = 300; // ms after the window is shown
} // namespace

TfrmMain::TfrmMain(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(programCaption());
    setFont(programFont());

    // The ordering starts unset with every window set.
    sortField.clear();
    sortOrder.clear();

    createMenus();
    createToolBar();
    createPopup();

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createProjectsArea());
    setCentralWidget(central);
    connectControls();

    // The client area excludes the menu bar.
    resize(DesignedClientWidth, DesignedClientHeight + menuBar()->sizeHint().height());
}

TfrmMain::~TfrmMain() = default;

QAction *TfrmMain::makeAction(const char *name, const QString &text, int picture,
                              Handler handler, const QKeySequence &shortcut)
{
    auto *action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setIcon(imageListIcon(picture));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, action, handler] { (this->*handler)(action); });
    return action;
}

QMenu *TfrmMain::makeMenu(const char *name, const QString &title)
{
    auto *menu = new QMenu(title, this);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void TfrmMain::createMenus()
{
    const int none = -1;
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));

    N3 = makeMenu("N3", QStringLiteral("Проекты"));
    menuBar()->addMenu(N3);
    mnuAdd = makeAction("mnuAdd", QStringLiteral("Добавить "), 4, &TfrmMain::mnuAddClick,
                        QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuProjectCopy = makeAction("mnuProjectCopy", QStringLiteral("Добавить и скопировать выделенный проект"),
                                4, &TfrmMain::mnuProjectCopyClick, {});
    mnuEdit = makeAction("mnuEdit", QStringLiteral("Изменить"), 5, &TfrmMain::mnuEditClick,
                         QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuDelete = makeAction("mnuDelete", QStringLiteral("Удалить"), 6, &TfrmMain::mnuDeleteClick,
                           QKeySequence(Qt::Key_Delete));
    N3->addActions({mnuAdd, mnuProjectCopy, mnuEdit, mnuDelete});
    mnuPay = makeMenu("mnuPay", QStringLiteral("Продажи"));
    mnuPay->setIcon(imageListIcon(7));
    N3->addMenu(mnuPay);
    mnuPayAdd = makeAction("mnuPayAdd", QStringLiteral("Новая продажа"), 4, &TfrmMain::mnuPayAddClick, {});
    mnuPayEdit = makeAction("mnuPayEdit", QStringLiteral("Редактирвоать продажу"), 5,
                            &TfrmMain::mnuPayEditClick, {});
    mnuPayDel = makeAction("mnuPayDel", QStringLiteral("Удалить продажу"), 6, &TfrmMain::mnuPayDelClick, {});
    mnuPay->addActions({mnuPayAdd, mnuPayEdit, mnuPayDel});
    mnuSalesAnalysis = makeAction("mnuSalesAnalysis", QStringLiteral("Анализ продаж…"), none,
                                  &TfrmMain::mnuSalesAnalysisClick, {});
    mnuPay->addAction(mnuSalesAnalysis);

    N2 = makeMenu("N2", QStringLiteral("Справочники"));
    menuBar()->addMenu(N2);
    mnuCategory = makeAction("mnuCategory", QStringLiteral("Категории"), 0, &TfrmMain::mnuCategoryClick,
                             QKeySequence(Qt::Key_F1));
    mnuEdIzm = makeAction("mnuEdIzm", QStringLiteral("Год разработки"), 2, &TfrmMain::mnuEdIzmClick,
                          QKeySequence(Qt::Key_F2));
    mnuIde = makeAction("mnuIde", QStringLiteral("Версии IDE"), 9, &TfrmMain::mnuIdeClick, {});
    N2->addActions({mnuCategory, mnuEdIzm, mnuIde});

    mnuPrint = makeMenu("mnuPrint", QStringLiteral("Печать"));
    menuBar()->addMenu(mnuPrint);
    mnuPrintSelect = makeAction("mnuPrintSelect", QStringLiteral("Печатать проект"), 3,
                                &TfrmMain::mnuPrintSelectClick, QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuPrintCatalog = makeAction("mnuPrintCatalog", QStringLiteral("Печать проектов категории"), 3,
                                 &TfrmMain::mnuPrintCatalogClick, {});
    mnuPrint->addActions({mnuPrintSelect, mnuPrintCatalog});

    N17 = makeMenu("N17", QStringLiteral("Экспорт"));
    menuBar()->addMenu(N17);
    mnuExportCat = makeAction("mnuExportCat",
                              QStringLiteral("Экспортировать проекты выбранной категории в HTML"), none,
                              &TfrmMain::mnuExportCatClick, {});
    N17->addAction(mnuExportCat);
    mnuExportProjectsCsv = makeAction("mnuExportProjectsCsv", QStringLiteral("Проекты в CSV…"), none,
                                      &TfrmMain::mnuExportProjectsCsvClick, {});
    mnuExportOrdersCsv = makeAction("mnuExportOrdersCsv", QStringLiteral("Продажи в CSV…"), none,
                                    &TfrmMain::mnuExportOrdersCsvClick, {});
    N17->addActions({mnuExportProjectsCsv, mnuExportOrdersCsv});

    mnuImport = makeMenu("mnuImport", QStringLiteral("Импорт"));
    menuBar()->addMenu(mnuImport);
    mnuImportProjectsCsv = makeAction("mnuImportProjectsCsv", QStringLiteral("Проекты из CSV…"), none,
                                      &TfrmMain::mnuImportProjectsCsvClick, {});
    mnuImportOrdersCsv = makeAction("mnuImportOrdersCsv", QStringLiteral("Продажи из CSV…"), none,
                                    &TfrmMain::mnuImportOrdersCsvClick, {});
    mnuImport->addActions({mnuImportProjectsCsv, mnuImportOrdersCsv});

    N4 = makeMenu("N4", QStringLiteral("Сортировка"));
    menuBar()->addMenu(N4);
    mnuSortKod = makeAction("mnuSortKod", QStringLiteral("Код проекта"), none, &TfrmMain::mnuSortKodClick, {});
    N5 = makeAction("N5", QStringLiteral("Категория"), none, &TfrmMain::N5Click, {});
    mnuSortTovName = makeAction("mnuSortTovName", QStringLiteral("Наименование"), none,
                                &TfrmMain::mnuSortTovNameClick, {});
    N14 = makeAction("N14", QStringLiteral("Год разработки"), none, &TfrmMain::N14Click, {});
    N10 = makeAction("N10", QStringLiteral("Начало проектирования"), none, &TfrmMain::N10Click, {});
    N12 = makeAction("N12", QStringLiteral("Конец проектирования"), none, &TfrmMain::N12Click, {});
    N15 = makeAction("N15", QStringLiteral("Последнее обновление"), none, &TfrmMain::N15Click, {});
    N9 = makeAction("N9", QStringLiteral("Цена проекта"), none, &TfrmMain::N9Click, {});
    N4->addActions({mnuSortKod, N5, mnuSortTovName, N14, N10, N12, N15, N9});
    N13 = makeMenu("N13", QStringLiteral("Порядок сортировки"));
    N4->addMenu(N13);
    sortDirection = new QActionGroup(this);
    mnuOrderAsc = makeAction("mnuOrderAsc", QStringLiteral("По возрастанию"), none,
                             &TfrmMain::mnuOrderAscClick, {});
    mnuOrderDesc = makeAction("mnuOrderDesc", QStringLiteral("По убыванию"), none,
                              &TfrmMain::mnuOrderDescClick, {});
    for (QAction *direction : {mnuOrderAsc, mnuOrderDesc}) {
        direction->setCheckable(true);
        sortDirection->addAction(direction);
        N13->addAction(direction);
    }
    mnuOrderAsc->setChecked(true);

    N11 = makeAction("N11", QStringLiteral("Настройки"), none, &TfrmMain::N11Click, {});
    menuBar()->addAction(N11);

    mnuService = makeMenu("mnuService", QStringLiteral("Сервис"));
    menuBar()->addMenu(mnuService);
    mnuBackups = makeAction("mnuBackups", QStringLiteral("Резервные копии…"), none, &TfrmMain::mnuBackupsClick, {});
    // Also where the program's other tools are, beside the sale commands.
    mnuService->addActions({mnuSalesAnalysis, mnuBackups});
    mnuBin = makeAction("mnuBin", QStringLiteral("Корзина…"), none, &TfrmMain::mnuBinClick, {});
    mnuHistory = makeAction("mnuHistory", QStringLiteral("История изменений…"), none, &TfrmMain::mnuHistoryClick, {});
    mnuService->addActions({mnuBin, mnuHistory});

    // Ctrl+Z is the window's own, in no menu: the menus stay as they are.
    actUndoDelete = makeAction("actUndoDelete", QStringLiteral("Вернуть удалённое"), none,
                               &TfrmMain::actUndoDeleteClick, QKeySequence(Qt::CTRL | Qt::Key_Z));
    addAction(actUndoDelete);

    N7 = makeMenu("N7", QStringLiteral("Справка"));
    menuBar()->addMenu(N7);
    N1 = makeAction("N1", QStringLiteral("О программе"), 8, &TfrmMain::N1Click, {});
    N7->addAction(N1);
}

QToolButton *TfrmMain::toolButton(QAction *action, const char *name)
{
    // A button shows only its picture: the tip names its menu command.
    const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
    action->setToolTip(shortcut.isEmpty() ? action->text().trimmed()
                                          : QStringLiteral("%1 (%2)").arg(action->text().trimmed(), shortcut));
    ToolBar1->addAction(action);
    auto *button = qobject_cast<QToolButton *>(ToolBar1->widgetForAction(action));
    button->setObjectName(QLatin1String(name));
    return button;
}

void TfrmMain::createToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    ToolBtnTovAdd = toolButton(mnuAdd, "ToolBtnTovAdd");
    ToolBtnTovEdit = toolButton(mnuEdit, "ToolBtnTovEdit");
    ToolBtnTovDel = toolButton(mnuDelete, "ToolBtnTovDel");
    ToolBar1->addSeparator();
    ToolBtnCat = toolButton(mnuCategory, "ToolBtnCat");
    ToolBtnMarka = toolButton(mnuEdIzm, "ToolBtnMarka");
    ToolBar1->addSeparator();
    ToolBtnPrint = toolButton(mnuPrintSelect, "ToolBtnPrint");
}

void TfrmMain::createPopup()
{
    popTovar = makeMenu("popTovar", QString());
    popTovarAdd = makeAction("popTovarAdd", QStringLiteral("Добавить"), 4, &TfrmMain::popTovarAddClick, {});
    popProjectCopy = makeAction("popProjectCopy", QStringLiteral("Добавить и скопировать выделенный проект"),
                                4, &TfrmMain::popProjectCopyClick, {});
    popTovarEdit = makeAction("popTovarEdit", QStringLiteral("Изменить"), 5, &TfrmMain::popTovarEditClick, {});
    popTovarDelete = makeAction("popTovarDelete", QStringLiteral("Удалить"), 6,
                                &TfrmMain::popTovarDeleteClick, {});
    popTovarHistory = makeAction("popTovarHistory", QStringLiteral("История изменений…"), -1,
                                 &TfrmMain::popTovarHistoryClick, {});
    popTovar->addActions({popTovarAdd, popProjectCopy, popTovarEdit, popTovarDelete});
    popTovar->addSeparator();
    popTovar->addAction(popTovarHistory);
}

void TfrmMain::bindData()
{
    const QList<QPair<DBGrid *, DataSource *>> grids = {
        {gridCatalog, Dm->DsCategory}, {gridAuto, Dm->DsTovar}, {DBGrid1, Dm->DsOrders}};
    for (const auto &[grid, source] : grids) {
        grid->setDataSource(source);
        // A column without a width of its own takes its field's, known only now.
        const QList<GridColumn> columns = grid->columns();
        grid->setColumns(columns);
        restoreColumnWidths(this, grid);
    }
    DBImage1->setDataSource(Dm->DsTovar);
    DBTextAllCount->setDataSource(Dm->DsStatistic);
    DBTextAllPrice->setDataSource(Dm->DsStatistic);
    DBTextAllSumm->setDataSource(Dm->DsStateOrders);
    DBTextTovName->setDataSource(Dm->DsTovar);
    DBTextPrice->setDataSource(Dm->DsTovar);
    DBCheckExports->setDataSource(Dm->DsTovar);
    DBCheckExportsDesc->setDataSource(Dm->DsTovar);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    rememberPlace(this);
    for (const DBGrid *grid : {gridCatalog, gridAuto, DBGrid1})
        rememberColumnWidths(this, grid);
    QMainWindow::closeEvent(event);
}

// Back from another program, possibly another user's: show what changed
// at once rather than at the next tick.
void TfrmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && Dm)
        Dm->checkForChanges();
}

void TfrmMain::FormShow()
{
    // Filtered before it is ordered, so the names put in order at start are
    // one category's, not the whole catalogue's; the list then starts at its
    // first project, as after a sort followed by a filter.
    filterCategory();
    mnuSortTovNameClick(mnuSortTovName);
    Dm->tblProject->first();
    // The width rule places the window until the user has placed it.
    if (!restorePlace(this))
        setWidthFromScreen();
    // Should none of the events that look for the frame come after it.
    for (int ms : {250, 1000, 3000})
        QTimer::singleShot(ms, this, [this] { widthAfterFraming(); });
    // The whole catalogue's name order, which the first click on another
    // category would wait for, is worked out once the window is on screen.
    QTimer::singleShot(SortAheadDelay, this, [] {
        if (Dm)
            Dm->tblProject->prepareSortedOrder();
    });
}

// 1404, not 1400: the statistics and current-project frames need it.
void TfrmMain::setWidthFromScreen()
{
    const int screenWidth = seams().screenWidth();
    const int outerWidth = screenWidth >= WideScreen ? WideScreen : NarrowWidth;
    const int frameWidth = sideFrames();
    m_widthFrame = frameWidth;
    resize(outerWidth - frameWidth, height());

    const QRect screenArea = screen()->availableGeometry();
    const int x = screen()->geometry().left() + (screenWidth - outerWidth) / 2;
    const int y = screenArea.top() + qMax(0, (screenArea.height() - frameGeometry().height()) / 2);
    move(x, y);
}

// The window manager frames the window only after its first show: once the
// frame is known, the outer width is set again, once.
void TfrmMain::widthAfterFraming()
{
    if (m_widthFrame == 0 && sideFrames() > 0 && !isMaximized() && !isFullScreen())
        setWidthFromScreen();
}

// On a busy machine the frame may for a moment be reported narrower than
// the window: that is a frame not known yet, not a width to add.
int TfrmMain::sideFrames() const
{
    return qMax(0, frameGeometry().width() - width());
}

// No event tells of the frame: it is looked for when the window is moved,
// painted or activated, and a few times in its first seconds.
bool TfrmMain::event(QEvent *event)
{
    const bool done = QMainWindow::event(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::Move || type == QEvent::UpdateRequest || type == QEvent::WindowActivate)
        widthAfterFraming();
    return done;
}

void TfrmMain::filterCategory()
{
    Dataset *categories = Dm->tblCategory;
    const int catId = Dm->tblCategorycat_id->asInteger();
    const int recNo = categories->recNo();

    // One change of the visible rows: a filter already on takes the new
    // text at once; switching it off first would show the whole catalogue
    // in between.
    Dataset *projects = Dm->tblProject;
    projects->setFilter(QStringLiteral("cat_id='%1'").arg(catId));
    if (!projects->isFiltered())
        projects->setFiltered(true);

    categories->setRecNo(recNo);
}

void TfrmMain::gridCatalogCellClick(QObject *)
{
    filterCategory();
}

void TfrmMain::mnuCategoryClick(QObject *)
{
    frmCategory->exec();
}

void TfrmMain::mnuEdIzmClick(QObject *)
{
    frmYear->exec();
}

void TfrmMain::mnuIdeClick(QObject *)
{
    frmIde->exec();
}

void TfrmMain::N11Click(QObject *)
{
    frmOption->exec();
}

void TfrmMain::N1Click(QObject *)
{
    frmAbout->exec();
}

// The main menu's shortcuts run their commands even from a text box, which
// would otherwise take Ctrl+N, Ctrl+E and the like for itself. Del and Ctrl+Z
// stay the box's own keys: they delete a character and undo typing there.
bool TfrmMain::isMenuShortcut(const QKeyEvent *key) const
{
    const QKeySequence pressed(key->keyCombination());
    for (const QAction *action : findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly))
        if (action != mnuDelete && action != actUndoDelete && !action->shortcut().isEmpty() && action->shortcut() == pressed)
            return true;
    return false;
}

// The code and price boxes see every typed character first; a character
// turned into the null character is not typed. Keys that move the focus or
// act on the window are not characters here.
bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && isMenuShortcut(static_cast<QKeyEvent *>(event))) {
        event->ignore(); // left to the menu
        return true;
    }
    const bool keyFiltered = watched == EditKodProject || watched == editPrice;
    const bool clearsOnDblClick = watched == editTovName || watched == editPrice;
    if (event->type() == QEvent::KeyPress && keyFiltered) {
        auto *key = static_cast<QKeyEvent *>(event);
        static const QList<int> notTyped = {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Return,
                                            Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Delete};
        if (key->text().isEmpty() || notTyped.contains(key->key()))
            return false;
        QChar typed = key->text().at(0);
        editPriceKeyPress(watched, typed);
        return typed.isNull();
    }
    if (event->type() == QEvent::MouseButtonDblClick && clearsOnDblClick) {
        editTovNameDblClick(watched);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
