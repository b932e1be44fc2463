#pragma once

#include "app/WindowFrame.h"

// The about window.
class TfrmAbout : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmAbout *frmAbout;
