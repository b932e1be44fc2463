#include "reference/ReferenceEditDialog.h"

#include "app/DBEdit.h"
#include "app/Messages.h"
#include "app/WindowFrame.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

ReferenceEditDialog::ReferenceEditDialog(const QString &caption, const ReferenceEditTexts &texts,
                                         const char *editName, QWidget *parent)
    : EditDialog(caption, parent),
      Label1(new QLabel(texts.label, this)),
      nameEdit(new DBEdit(this)),
      BitBtn1(new QPushButton(texts.saveButton, this)),
      BitBtn2(new QPushButton(QStringLiteral("Отмена"), this)),
      m_texts(texts)
{
    setFont(programFont());
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(nameEdit);
    nameEdit->setObjectName(QLatin1String(editName));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    setTabOrder(nameEdit, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(nameEdit);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(BitBtn2); });
}

void ReferenceEditDialog::bindName(DataSource *source, const QString &field)
{
    setEditedDataset(source->dataSet());
    nameEdit->setDataSource(source);
    nameEdit->setDataField(field);
}

// A name of blanks is a name; only an empty box is refused. A changed entry
// is posted, an unchanged one dropped.
void ReferenceEditDialog::BitBtn1Click(QObject *)
{
    if (nameEdit->text().isEmpty()) {
        showNotice(this, QStringLiteral("Сообщение"), m_texts.emptyName);
        return;
    }
    Dataset *book = editedDataset();
    if (book->isModified()) {
        if (!postGuarded(nameEdit, QStringLiteral("Ошибка записи"), m_texts.notUnique))
            return;
        afterPost();
    } else {
        book->cancel();
    }
    accept();
}

// The name is typed first, every time the dialog opens.
void ReferenceEditDialog::showEvent(QShowEvent *event)
{
    EditDialog::showEvent(event);
    nameEdit->setFocus();
}

void ReferenceEditDialog::BitBtn2Click(QObject *)
{
    reject();
}
