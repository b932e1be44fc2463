#pragma once

#include "reference/ReferenceBookWindow.h"

#include <functional>

class QAction;
class QMenuBar;

// The categories reference window. Its menu bar carries the commands; the
// buttons only call the menu items' handlers.
class TfrmCategory : public ReferenceBookWindow
{
    Q_OBJECT
public:
    explicit TfrmCategory(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();

    QMenuBar *menuOwner;
    QAction *mnuAdd;    // Ctrl+N
    QAction *mnuEdit;   // Ctrl+E
    QAction *mnuDelete; // Del
    DBGrid *DBGridArb;
    QPushButton *btnAdd;
    QPushButton *btnEdit;
    QPushButton *btnDelete;
    QPushButton *BitBtn1; // "Выход"

    void mnuAddClick(QObject *sender = nullptr);
    void mnuEditClick(QObject *sender = nullptr);
    void mnuDeleteClick(QObject *sender = nullptr);
    void btnAddClick(QObject *sender = nullptr);
    void btnEditClick(QObject *sender = nullptr);
    void btnDeleteClick(QObject *sender = nullptr);
    void BitBtn1Click(QObject *sender = nullptr);
    void DBGridArbCellClick(QObject *sender = nullptr);

private:
    QAction *makeAction(const char *name, const QString &text, const QKeySequence &shortcut,
                        void (TfrmCategory::*handler)(QObject *));
};

extern TfrmCategory *frmCategory;

// The main window's side of the category list, handed over by the window
// set: its category grid's click and its category filter. Unset (no main
// window), the reference windows filter no project list.
struct ProjectListFollow {
    std::function<void(QObject *sender)> categoryClick;
    std::function<void()> filterCategory;
};
extern ProjectListFollow projectListFollow;

// Whether the main window's project list may be filtered to the current
// category now. Not while a project row is pending in the project editor
// (which can open this window): changing the list's filter would post or drop
// that row. The category stays current either way.
bool mayFilterProjects();
