#include "sales/Unit_orders_edit.h"

#include "app/DBEdit.h"
#include "app/Messages.h"
#include "app/WaitCursor.h"
#include "app/WindowFrame.h"
#include "data/module/UnitDM.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TfrmOrdersEdit *frmOrdersEdit = nullptr;

namespace {

DBEdit *boundEdit(const char *name, const QString &field, QWidget *parent)
{
    auto *edit = new DBEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setDataField(field);
    return edit;
}

void addLabelled(QVBoxLayout *layout, const QString &text, QWidget *edit)
{
    auto *label = new QLabel(text, edit->parentWidget());
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit, 0, Qt::AlignLeft);
    layout->addSpacing(6);
}

QPushButton *dialogButton(const char *name, const QString &text, QStyle::StandardPixmap icon, QWidget *parent)
{
    auto *button = new QPushButton(parent->style()->standardIcon(icon), text, parent);
    button->setObjectName(QLatin1String(name));
    button->setMinimumWidth(button->sizeHint().width() + 16);
    return button;
}

} // namespace

TfrmOrdersEdit::TfrmOrdersEdit(QWidget *parent)
    : EditDialog(QStringLiteral("Редактирование продажи"), parent)
{
    setObjectName(QStringLiteral("frmOrdersEdit"));
    setWindowFrame(this, QSize(596, 303), WindowBorder::Single);
    setFont(programFont());

    DBEdit1 = boundEdit("DBEdit1", QStringLiteral("date_orders"), this);
    DBEdit1->setFixedWidth(DBEdit1->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 16);
    DBEdit2 = boundEdit("DBEdit2", QStringLiteral("summ"), this);
    DBEdit2->setFixedWidth(160);
    DBEdit3 = boundEdit("DBEdit3", QStringLiteral("comments"), this);
    DBEdit3->setFixedWidth(560);

    BitBtn1 = dialogButton("BitBtn1", QStringLiteral("Сохранить и закрыть"), QStyle::SP_DialogSaveButton, this);
    BitBtn1->setDefault(true);
    BitBtn2 = dialogButton("BitBtn2", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton, this);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(BitBtn2); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(3);
    addLabelled(layout, QStringLiteral("Дата продажи:"), DBEdit1);
    addLabelled(layout, QStringLiteral("Сумма, руб.:"), DBEdit2);
    addLabelled(layout, QStringLiteral("Краткий комментарий к продаже:"), DBEdit3);
    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);

    // The buttons come first, so the dialog opens on the save button.
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, DBEdit1);
    setTabOrder(DBEdit1, DBEdit2);
    setTabOrder(DBEdit2, DBEdit3);
}

void TfrmOrdersEdit::bindData()
{
    for (DBEdit *edit : {DBEdit1, DBEdit2, DBEdit3})
        edit->setDataSource(Dm->DsOrders);
    setEditedDataset(Dm->tblOrders);
}

void TfrmOrdersEdit::showEvent(QShowEvent *event)
{
    EditDialog::showEvent(event);
    BitBtn1->setFocus(Qt::OtherFocusReason);
}

// A date or sum being typed reaches the row only when it is posted, so the
// boxes' own modified flags count as changes too.
bool TfrmOrdersEdit::hasChanges() const
{
    return editedDataset()->isModified() || DBEdit1->isModified() || DBEdit2->isModified()
           || DBEdit3->isModified();
}

void TfrmOrdersEdit::BitBtn1Click(QObject *)
{
    if (hasChanges()) {
        try {
            const WaitCursor wait;
            editedDataset()->post();
        } catch (const DataError &error) {
            // The sale stays pending and the dialog open for a correction.
            showStandardError(this, error.text());
            return;
        }
    }
    accept();
}

void TfrmOrdersEdit::BitBtn2Click(QObject *)
{
    reject();
}
