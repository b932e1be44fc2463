#pragma once

#include "reference/ReferenceEditDialog.h"

// The development year editor.
class TfrmYearEdit : public ReferenceEditDialog
{
    Q_OBJECT
public:
    explicit TfrmYearEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();

    DBEdit *editYear;
};

extern TfrmYearEdit *frmYearEdit;
