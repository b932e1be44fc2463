#pragma once

#include "app/EditDialog.h"
#include "data/Dataset.h"

// The IDE version editor.
class TfrmIdeEdit : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmIdeEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmIdeEdit *frmIdeEdit;
