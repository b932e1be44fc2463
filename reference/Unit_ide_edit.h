#pragma once

#include "reference/ReferenceEditDialog.h"

// The IDE version editor.
class TfrmIdeEdit : public ReferenceEditDialog
{
    Q_OBJECT
public:
    explicit TfrmIdeEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();

    DBEdit *editIde;
};

extern TfrmIdeEdit *frmIdeEdit;
