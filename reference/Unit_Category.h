#pragma once

#include "app/WindowFrame.h"

// The categories reference window.
class TfrmCategory : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmCategory(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmCategory *frmCategory;
