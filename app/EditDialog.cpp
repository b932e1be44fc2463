#include "app/EditDialog.h"

#include "app/DBEdit.h"
#include "app/Messages.h"
#include "app/WaitCursor.h"
#include "app/WindowPlacement.h"
#include "data/dataset/Dataset.h"

#include <QLineEdit>

EditDialog::EditDialog(const QString &caption, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(caption);
    setModal(true);
}

void EditDialog::setEditedDataset(Dataset *dataset)
{
    m_dataset = dataset;
}

bool EditDialog::postGuarded(QLineEdit *nameField, const QString &caption,
                             const QString &duplicateText)
{
    try {
        const WaitCursor wait;
        m_dataset->post();
        return true;
    } catch (const DataError &e) {
        if (!e.isUniqueViolation()) {
            showStandardError(this, e.text());
            return false;
        }
        showNotice(this, caption, duplicateText);
        if (auto *bound = qobject_cast<DBEdit *>(nameField))
            bound->clearValue();
        else
            nameField->clear();
        nameField->setFocus();
        return false;
    }
}

// accept(), reject(), Esc and the close box all end here.
void EditDialog::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void EditDialog::FormClose()
{
    if (m_dataset && m_dataset->isEditing())
        m_dataset->cancel();
}

void EditDialog::showEvent(QShowEvent *event)
{
    placeOnFirstShow(this);
    QDialog::showEvent(event);
}
