#include "reference/ReferenceBookWindow.h"

#include "app/DBGrid.h"
#include "app/EditDialog.h"
#include "app/Messages.h"
#include "data/module/UnitDM.h"

#include <QBoxLayout>
#include <QPushButton>

namespace {
constexpr int ButtonWidth = 120;
constexpr int Margin = 8;
}

ReferenceBookWindow::ReferenceBookWindow(const QString &caption, const ReferenceListTexts &texts,
                                         QWidget *parent)
    : ModalWindow(caption, parent), m_texts(texts)
{
    setFont(programFont());
}

DBGrid *ReferenceBookWindow::createGrid(const char *name)
{
    auto *grid = new DBGrid(this);
    grid->setObjectName(QLatin1String(name));
    return grid;
}

QPushButton *ReferenceBookWindow::createButton(const char *name, const QString &text)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setFixedWidth(ButtonWidth);
    return button;
}

void ReferenceBookWindow::arrange(DBGrid *grid, const QList<QPushButton *> &commands,
                                  QPushButton *exit)
{
    m_grid = grid;
    auto *buttons = new QVBoxLayout;
    buttons->setContentsMargins(Margin, Margin, Margin, Margin);
    for (QPushButton *button : commands)
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(exit);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(grid, 1);
    layout->addLayout(buttons);
}

void ReferenceBookWindow::bindBook(const ReferenceBookData &book, const QList<GridColumn> &columns,
                                   EditDialog *editor)
{
    m_data = book;
    m_editor = editor;
    m_grid->setDataSource(book.source);
    m_grid->setColumns(columns);
}

bool ReferenceBookWindow::checkCanModify()
{
    if (m_data.source->dataSet()->canModify())
        return true;
    showNotice(this, QStringLiteral("Ошибка"),
               QStringLiteral("Нельзя модифицировать данные"));
    return false;
}

void ReferenceBookWindow::addEntry()
{
    if (!checkCanModify())
        return;
    m_data.source->dataSet()->append();
    m_editor->exec();
}

void ReferenceBookWindow::editEntry()
{
    Dataset *book = m_data.source->dataSet();
    if (book->recordCount() == 0) {
        showNotice(this, m_texts.noRowsToEditCaption, m_texts.noRowsToEdit);
        return;
    }
    if (!checkCanModify())
        return;
    book->edit();
    m_editor->exec();
}

// An entry that a project refers to is never deleted, whatever the main
// window lists; that includes a project row still pending in its editor.
bool ReferenceBookWindow::isInUse(int key) const
{
    QueryDataset *usage = m_data.usage;
    usage->close();
    usage->params().set(m_data.usageParameter, key);
    usage->open();
    if (usage->recordCount() > 0)
        return true;
    const Field *reference = m_data.projectReference;
    return reference && reference->dataset()->isEditing() && !reference->isNull()
        && reference->asInteger() == key;
}

void ReferenceBookWindow::deleteEntry()
{
    Dataset *book = m_data.source->dataSet();
    if (book->recordCount() == 0) {
        showNotice(this, QStringLiteral("Сообщение"), m_texts.noRowsToDelete);
        return;
    }
    if (isInUse(m_data.key->asInteger())) {
        showNotice(this, m_texts.inUseCaption, m_texts.inUse);
        return;
    }
    if (askDeleteCurrent(this, book, m_texts.deleteQuestion.arg(m_data.name->asString())))
        book->remove();
}
