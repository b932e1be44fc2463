#pragma once

#include "app/EditDialog.h"
#include "reference/ReferenceBook.h"

class DBEdit;
class QLabel;
class QPushButton;

// The editor of one reference-book entry: a label above the name's edit box,
// the save button (Enter) and "Отмена" (Esc) at the bottom right.
class ReferenceEditDialog : public EditDialog
{
    Q_OBJECT
public:
    ReferenceEditDialog(const QString &caption, const ReferenceEditTexts &texts,
                        const char *editName, QWidget *parent = nullptr);

    QLabel *Label1;
    DBEdit *nameEdit;
    QPushButton *BitBtn1; // save
    QPushButton *BitBtn2; // "Отмена"

    void BitBtn1Click(QObject *sender = nullptr);
    void BitBtn2Click(QObject *sender = nullptr);

protected:
    void bindName(DataSource *source, const QString &field);
    // Runs after the entry was posted, before the dialog closes.
    virtual void afterPost() {}
    void showEvent(QShowEvent *event) override;

private:
    ReferenceEditTexts m_texts;
};
