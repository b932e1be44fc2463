#pragma once

#include "app/WindowFrame.h"

// The IDE versions reference window.
class TfrmIde : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmIde(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmIde *frmIde;
