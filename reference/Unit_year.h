#pragma once

#include "reference/ButtonBookWindow.h"

// The development years reference window.
class TfrmYear : public ButtonBookWindow
{
    Q_OBJECT
public:
    explicit TfrmYear(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmYear *frmYear;
