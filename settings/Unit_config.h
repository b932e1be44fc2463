#pragma once

#include "app/EditDialog.h"
#include "data/Dataset.h"

// The settings dialog.
class TfrmOption : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmOption(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmOption *frmOption;
