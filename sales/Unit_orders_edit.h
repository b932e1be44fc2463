#pragma once

#include "app/EditDialog.h"
#include "data/Dataset.h"

// The sale editor.
class TfrmOrdersEdit : public EditDialog
{
    Q_OBJECT
public:
    explicit TfrmOrdersEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();
};

extern TfrmOrdersEdit *frmOrdersEdit;
