#pragma once

#include "app/Unit_class.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CataloguePrint;
class DBCheckBox;
class DBGrid;
class DBImage;
class DBText;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QKeySequence;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;

// The program's home: the categories and the projects of the selected one,
// the current project's sales, screenshot and summary, the database-wide
// statistics, the search, the ordering and every command of the program.
// The menu handlers of commands that belong to a feature (sales, backups,
// output, the repository launch) forward to that feature's command units.
// The controls are public so that the other windows and the tests reach
// them by their names.
class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Binds the grids, the screenshot and the panels to the data module's
    // sources; called once Dm exists (the window is created before it).
    void bindData();

    // Main menu.
    QMenu *N3;            // "Проекты"
    QAction *mnuAdd;
    QAction *mnuProjectCopy;
    QAction *mnuEdit;
    QAction *mnuDelete;
    QMenu *mnuPay;        // "Продажи"
    QAction *mnuPayAdd;
    QAction *mnuPayEdit;
    QAction *mnuPayDel;
    QAction *mnuSalesAnalysis; // "Анализ продаж…"
    QMenu *N2;            // "Справочники"
    QAction *mnuCategory;
    QAction *mnuEdIzm;
    QAction *mnuIde;
    QMenu *mnuPrint;      // "Печать"
    QAction *mnuPrintSelect;
    QAction *mnuPrintCatalog;
    QMenu *N17;           // "Экспорт"
    QAction *mnuExportCat;
    QAction *mnuExportProjectsCsv;
    QAction *mnuExportOrdersCsv;
    QMenu *mnuImport;     // "Импорт"
    QAction *mnuImportProjectsCsv;
    QAction *mnuImportOrdersCsv;
    QMenu *N4;            // "Сортировка"
    QAction *mnuSortKod;
    QAction *N5;
    QAction *mnuSortTovName;
    QAction *N14;
    QAction *N10;
    QAction *N12;
    QAction *N15;
    QAction *N9;
    QMenu *N13;           // "Порядок сортировки"
    QActionGroup *sortDirection;
    QAction *mnuOrderAsc;
    QAction *mnuOrderDesc;
    QAction *N11;         // "Настройки", acts when clicked
    QMenu *mnuService;    // "Сервис"
    QAction *mnuBackups;
    QAction *mnuBin;
    QAction *actUndoDelete; // Ctrl+Z: puts back what the user deleted last
    QAction *mnuHistory;
    QMenu *N7;            // "Справка"
    QAction *N1;

    // Pop-up menu of the project grid.
    QMenu *popTovar;
    QAction *popTovarAdd;
    QAction *popProjectCopy;
    QAction *popTovarEdit;
    QAction *popTovarDelete;
    QAction *popTovarHistory; // the current project's history with its sales

    // Tool bar; its buttons run the menu items they stand for.
    QToolBar *ToolBar1;
    QToolButton *ToolBtnTovAdd;
    QToolButton *ToolBtnTovEdit;
    QToolButton *ToolBtnTovDel;
    QToolButton *ToolBtnCat;
    QToolButton *ToolBtnMarka;
    QToolButton *ToolBtnPrint;

    // "Программные проекты".
    QGroupBox *grpProjects;
    DBGrid *gridCatalog;
    DBGrid *gridAuto;

    // "Продажи".
    QGroupBox *grpSales;
    DBGrid *DBGrid1;
    QPushButton *BitBtn1; // "Добавить"
    QPushButton *BitBtn3; // "Редактировать"
    QPushButton *BitBtn2; // "Удалить"

    // "Отбор данных".
    QGroupBox *GroupBox2;
    QLineEdit *editTovName;
    QLineEdit *EditKodProject;
    QCheckBox *checkYear;
    QComboBox *cbYear;
    QComboBox *cbPriceOpt;
    QLineEdit *editPrice;
    QCheckBox *checkIde;
    QComboBox *cbIde;
    QPushButton *BtnSearch; // Enter
    QPushButton *btnClear;  // Esc

    DBImage *DBImage1;

    // "Статистика".
    QGroupBox *grpStatistic;
    DBText *DBTextAllCount;
    DBText *DBTextAllPrice;
    DBText *DBTextAllSumm;

    // "Текущий проект".
    QGroupBox *grpCurrent;
    DBText *DBTextTovName;
    DBText *DBTextPrice;
    DBCheckBox *DBCheckExports;
    DBCheckBox *DBCheckExportsDesc;

    // Handlers. Each takes the control that raised the event.
    void FormShow();
    void gridCatalogCellClick(QObject *sender = nullptr);
    // Lists the projects of the category current in tblCategory; also run
    // by the categories window and after a category is saved.
    void filterCategory();

    void mnuCategoryClick(QObject *sender = nullptr);
    void mnuEdIzmClick(QObject *sender = nullptr);
    void mnuIdeClick(QObject *sender = nullptr);
    void N11Click(QObject *sender = nullptr);
    void N1Click(QObject *sender = nullptr);
    void mnuBackupsClick(QObject *sender = nullptr);
    void mnuBinClick(QObject *sender = nullptr);
    void actUndoDeleteClick(QObject *sender = nullptr);
    void mnuHistoryClick(QObject *sender = nullptr);

    // Project commands.
    void mnuAddClick(QObject *sender = nullptr);
    void mnuProjectCopyClick(QObject *sender = nullptr);
    void mnuEditClick(QObject *sender = nullptr);
    void mnuDeleteClick(QObject *sender = nullptr);
    void popTovarAddClick(QObject *sender = nullptr);
    void popProjectCopyClick(QObject *sender = nullptr);
    void popTovarEditClick(QObject *sender = nullptr);
    void popTovarDeleteClick(QObject *sender = nullptr);
    void popTovarHistoryClick(QObject *sender = nullptr);

    // Sales.
    void mnuPayAddClick(QObject *sender = nullptr);
    void mnuPayEditClick(QObject *sender = nullptr);
    void mnuPayDelClick(QObject *sender = nullptr);
    void mnuSalesAnalysisClick(QObject *sender = nullptr);
    void BitBtn1Click(QObject *sender = nullptr);
    void BitBtn3Click(QObject *sender = nullptr);
    void BitBtn2Click(QObject *sender = nullptr);

    // Printing and export.
    void mnuPrintSelectClick(QObject *sender = nullptr);
    void mnuPrintCatalogClick(QObject *sender = nullptr);
    void mnuExportCatClick(QObject *sender = nullptr);
    void mnuExportProjectsCsvClick(QObject *sender = nullptr);
    void mnuExportOrdersCsvClick(QObject *sender = nullptr);
    void mnuImportProjectsCsvClick(QObject *sender = nullptr);
    void mnuImportOrdersCsvClick(QObject *sender = nullptr);
    // The CSV import's windows live in import/, which this folder does not
    // use: program/ hands their commands in.
    struct ImportCommands {
        std::function<void(QWidget *parent)> projects;
        std::function<void(QWidget *parent)> sales;
    } importCommands;
    void RvSystemBeforePrint(QObject *sender = nullptr);
    // The catalogue print's components, made with the first use.
    CataloguePrint &catalogPrint();

    // Repository browser.
    void gridAutoDblClick(QObject *sender = nullptr);

    // Search.
    void BtnSearchClick(QObject *sender = nullptr);
    void btnClearClick(QObject *sender = nullptr);
    void checkYearClick(QObject *sender = nullptr);
    void checkIdeClick(QObject *sender = nullptr);
    void editTovNameDblClick(QObject *sender = nullptr);
    // A character that must not be typed is replaced by the null character.
    void editPriceKeyPress(QObject *sender, QChar &key);

    // Ordering.
    void mnuSortKodClick(QObject *sender = nullptr);
    void N5Click(QObject *sender = nullptr);
    void mnuSortTovNameClick(QObject *sender = nullptr);
    void N14Click(QObject *sender = nullptr);
    void N10Click(QObject *sender = nullptr);
    void N12Click(QObject *sender = nullptr);
    void N15Click(QObject *sender = nullptr);
    void N9Click(QObject *sender = nullptr);
    void mnuOrderAscClick(QObject *sender = nullptr);
    void mnuOrderDescClick(QObject *sender = nullptr);
    void sortExec();

protected:
    void showEvent(QShowEvent *event) override;
    // Remembers the window's place and the grids' column widths for the next run.
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Handler = void (TfrmMain::*)(QObject *);

    QAction *makeAction(const char *name, const QString &text, int picture, Handler handler,
                        const QKeySequence &shortcut);
    QMenu *makeMenu(const char *name, const QString &title);
    void createMenus();
    void createToolBar();
    void createPopup();
    QToolButton *toolButton(QAction *action, const char *name);
    QWidget *createProjectsArea();
    QWidget *createLowerArea();
    QGroupBox *createSalesFrame();
    QGroupBox *createSearchFrame();
    QGroupBox *createStatisticFrame();
    QGroupBox *createCurrentFrame();
    void connectControls();
    void setWidthFromScreen();
    void widthAfterFraming();
    int sideFrames() const;
    bool isMenuShortcut(const QKeyEvent *key) const;
    void sortBy(const QString &field);
    void setSortOrder(const QString &order, QAction *checked);

    std::unique_ptr<CataloguePrint> m_catalogPrint;
    int m_widthFrame = -1; // the frame's width when the width was set; -1 before
};

extern TfrmMain *frmMain;

// The ordering of the project list for the whole run: the column and the
// direction suffix (" ASC", " DESC", or empty at start).
extern QString sortField;
extern QString sortOrder;

// The keys behind the items of cbYear and cbIde: element i belongs to item i.
extern std::vector<std::unique_ptr<TMyIndex>> yearIndexes;
extern std::vector<std::unique_ptr<TMyIndex>> ideIndexes;
