#pragma once

#include <QString>
#include <QtGlobal>

class QPainter;
class QStyleOptionViewItem;
class QModelIndex;
class QWidget;

// Paints one cell of a striped list grid: odd record numbers light grey, the
// selected row blue with white text, the display text with the column's
// alignment and a 2 pixel margin. recNo counts from 1 in the grid's dataset as
// filtered and ordered now; below 1 counts as even.
void gridDrawStriped(QPainter *painter, const QStyleOptionViewItem &option,
                     const QModelIndex &index, int recNo);

// The key of one item of a reference drop-down.
class TMyIndex
{
public:
    int GetIndex() const { return Index; }
    void SetIndex(int value) { Index = value; }

private:
    qint32 Index = 0;
};

// Opens the user's mail program on a new message to address with the fixed
// subject; tells the user when no mail program could be started.
void mailExec(const QString &address, QWidget *owner = nullptr);
