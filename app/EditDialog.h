#pragma once

#include "data/dataset/Dataset.h"

#include <QDialog>
#include <QPointer>

class QLineEdit;

// The modal editor of one pending row of a shared dataset. It is hidden when
// closed, never destroyed; every way of closing it (OK, Cancel, Esc, the close
// box) runs FormClose, which discards whatever is still pending.
class EditDialog : public QDialog
{
    Q_OBJECT
public:
    explicit EditDialog(const QString &caption, QWidget *parent = nullptr);

    void setEditedDataset(Dataset *dataset);
    Dataset *editedDataset() const { return m_dataset; }

    // Posts the edited row. A duplicate name shows caption/duplicateText,
    // empties nameField (and its field) and focuses it; any other refusal
    // shows the standard error box and keeps every entry. False when refused:
    // the row stays pending and the dialog open.
    bool postGuarded(QLineEdit *nameField, const QString &caption, const QString &duplicateText);

    void done(int result) override;

protected:
    // Cancels what is still pending in the edited dataset.
    virtual void FormClose();
    void showEvent(QShowEvent *event) override;

private:
    QPointer<Dataset> m_dataset;
};
