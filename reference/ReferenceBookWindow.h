#pragma once

#include "app/GridColumn.h"
#include "app/WindowFrame.h"
#include "reference/ReferenceBook.h"

#include <QList>
#include <QPointer>

class DBGrid;
class EditDialog;
class QPushButton;

// The list window of a reference book: a grid on the left, a column of
// buttons on the right with the exit button at the bottom. Add, edit and
// delete are the same for every book; each book gives its texts.
class ReferenceBookWindow : public ModalWindow
{
    Q_OBJECT
public:
    ReferenceBookWindow(const QString &caption, const ReferenceListTexts &texts,
                        QWidget *parent = nullptr);

    // The commands; each book's handlers call them.
    void addEntry();
    void editEntry();
    void deleteEntry();

protected:
    DBGrid *createGrid(const char *name);
    QPushButton *createButton(const char *name, const QString &text);
    // Lays the grid and the buttons out; exit is the Esc button at the bottom.
    void arrange(DBGrid *grid, const QList<QPushButton *> &commands, QPushButton *exit);
    void bindBook(const ReferenceBookData &book, const QList<GridColumn> &columns,
                  EditDialog *editor);

private:
    // Tells the user when the book can't be modified.
    bool checkCanModify();
    bool isInUse(int key) const;

    ReferenceListTexts m_texts;
    ReferenceBookData m_data;
    DBGrid *m_grid = nullptr;
    QPointer<EditDialog> m_editor;
};
