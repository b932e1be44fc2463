#pragma once

#include "app/EditDialog.h"
#include "data/Dataset.h"

// The project editor.
class TfrmProjectEdit : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmProjectEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmProjectEdit *frmProjectEdit;
