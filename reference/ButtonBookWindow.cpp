#include "reference/ButtonBookWindow.h"

#include "app/DBGrid.h"

#include <QPushButton>

ButtonBookWindow::ButtonBookWindow(const QString &caption, const ReferenceListTexts &texts,
                                   QWidget *parent)
    : ReferenceBookWindow(caption, texts, parent),
      DBGrid1(createGrid("DBGrid1")),
      BitBtn1(createButton("BitBtn1", QStringLiteral("Добавить"))),
      BitBtn2(createButton("BitBtn2", QStringLiteral("Редактирвоать"))),
      BitBtn3(createButton("BitBtn3", QStringLiteral("Удаление"))),
      BitBtn4(createButton("BitBtn4", QStringLiteral("Выход")))
{
    arrange(DBGrid1, {BitBtn1, BitBtn2, BitBtn3}, BitBtn4);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(BitBtn2); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(BitBtn3); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(BitBtn4); });
}

void ButtonBookWindow::BitBtn1Click(QObject *) { addEntry(); }
void ButtonBookWindow::BitBtn2Click(QObject *) { editEntry(); }
void ButtonBookWindow::BitBtn3Click(QObject *) { deleteEntry(); }
void ButtonBookWindow::BitBtn4Click(QObject *) { close(); }
