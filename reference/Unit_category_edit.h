#pragma once

#include "app/EditDialog.h"
#include "data/Dataset.h"

// The category editor.
class TfrmCatEdit : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmCatEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmCatEdit *frmCatEdit;
