#pragma once

#include "reference/ReferenceBookWindow.h"

// A reference window without a menu bar: its buttons carry the commands and
// the grid DBGrid1 fills the left edge over the full height.
class ButtonBookWindow : public ReferenceBookWindow
{
    Q_OBJECT
public:
    ButtonBookWindow(const QString &caption, const ReferenceListTexts &texts,
                     QWidget *parent = nullptr);

    DBGrid *DBGrid1;
    QPushButton *BitBtn1; // "Добавить"
    QPushButton *BitBtn2; // "Редактирвоать"
    QPushButton *BitBtn3; // "Удаление"
    QPushButton *BitBtn4; // "Выход", also Esc

    void BitBtn1Click(QObject *sender = nullptr);
    void BitBtn2Click(QObject *sender = nullptr);
    void BitBtn3Click(QObject *sender = nullptr);
    void BitBtn4Click(QObject *sender = nullptr);
};
