#pragma once

#include <QString>
#include <Qt>

// One visible column of a grid over a dataset.
struct GridColumn
{
    QString field;
    QString title;
    Qt::Alignment alignment = Qt::AlignLeft;
    int width = -1; // pixels; -1 takes the field's default width
};
