#pragma once

#include "app/EditDialog.h"
#include "data/Dataset.h"

// The development year editor.
class TfrmYearEdit : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmYearEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmYearEdit *frmYearEdit;
