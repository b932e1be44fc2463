#pragma once

#include "reference/ReferenceEditDialog.h"

// The category editor. After a category is saved the main window lists its
// projects.
class TfrmCatEdit : public ReferenceEditDialog
{
    Q_OBJECT
public:
    explicit TfrmCatEdit(QWidget *parent = nullptr);
    // Binds the controls to the data module's sources once Dm exists.
    void bindData();

    DBEdit *editCat;

protected:
    void afterPost() override;
};

extern TfrmCatEdit *frmCatEdit;
