#pragma once

#include "app/EditDialog.h"
#include "data/dataset/Dataset.h"

#include <functional>

class DBCheckBox;
class DBEdit;
class DBImage;
class DBLookupComboBox;
class DBMemo;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolBar;
class QToolButton;

// The project editor: one project of tblProject, in insert or edit state
// while the dialog is open, edited through DsTovar. Save checks and posts;
// every other way out discards the pending row, picture included.
class TfrmProjectEdit : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmProjectEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();

    // The main window's reference-book items, which the tool buttons show
    // and the menu items run; the window set hands them over before bindData.
    struct ReferenceBooks {
        QAction *categories = nullptr; // "Категории"
        QAction *years = nullptr;      // "Год разработки"
        std::function<void(QObject *sender)> openCategories;
        std::function<void(QObject *sender)> openYears;
    };
    void setReferenceBooks(const ReferenceBooks &books) { m_books = books; }

    QMenuBar *MainMenu1;
    QMenu *N1;             // "Справочники"
    QAction *mnuCat;
    QAction *mnuYear;
    QToolBar *ToolBar1;
    QToolButton *ToolButton1; // categories
    QToolButton *ToolButton2; // development years

    DBEdit *editNameTov;
    DBLookupComboBox *DBLookupComboBox1; // category
    DBLookupComboBox *DBLookupComboBox3; // IDE version
    DBEdit *editPrice;
    DBLookupComboBox *DBLookupComboBox2; // development year
    DBEdit *DBEdit1;                     // start of development
    DBEdit *DBEdit2;                     // end of development
    DBEdit *DBEdit3;                     // last update
    QLabel *lblRepository;
    DBEdit *DBEdit4;                     // path in the repository
    DBCheckBox *DBCheckBox1;
    DBMemo *DBMemo1;
    DBCheckBox *DBCheckBox2;
    QGroupBox *GroupBox1;
    DBImage *DBImgScreen;
    QPushButton *BitBtn3;  // "Загрузить фото"
    QPushButton *btnDelete;
    QPushButton *BitBtn1;  // "Записать"
    QPushButton *BitBtn2;  // "Отмена"

    // Handlers. Each takes the control that raised the event.
    void FormShow();
    void BitBtn1Click(QObject *sender = nullptr);
    void BitBtn2Click(QObject *sender = nullptr);
    void BitBtn3Click(QObject *sender = nullptr);
    void btnDeleteClick(QObject *sender = nullptr);
    void mnuCatClick(QObject *sender = nullptr);
    void mnuYearClick(QObject *sender = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createMenu();
    void createToolBar();
    QWidget *createFields();
    QGroupBox *createPictureGroup();
    QWidget *createBottomRow();
    bool checkEntries();
    bool pendingRowHasPicture() const;

    ReferenceBooks m_books;
};

extern TfrmProjectEdit *frmProjectEdit;
