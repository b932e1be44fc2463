#pragma once

#include "reference/ButtonBookWindow.h"

// The IDE versions reference window; its grid is not striped.
class TfrmIde : public ButtonBookWindow
{
    Q_OBJECT
public:
    explicit TfrmIde(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmIde *frmIde;
