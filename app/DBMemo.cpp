#include "app/DBMemo.h"

#include "app/FieldLink.h"
#include "data/dataset/Field.h"

#include <QScopedValueRollback>

DBMemo::DBMemo(QWidget *parent) : QPlainTextEdit(parent), m_link(new FieldLink(this))
{
    connect(m_link, &FieldLink::bindingChanged, this, &DBMemo::showValue);
    connect(m_link, &FieldLink::datasetChanged, this, &DBMemo::showValue);
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::onTextChanged);
}

void DBMemo::setDataSource(DataSource *source) { m_link->setDataSource(source); }
void DBMemo::setDataField(const QString &name) { m_link->setDataField(name); }
DataSource *DBMemo::dataSource() const { return m_link->dataSource(); }
QString DBMemo::dataField() const { return m_link->dataField(); }

void DBMemo::showValue()
{
    if (m_showing)
        return;
    const QScopedValueRollback<bool> showing(m_showing, true);
    const QString text = m_link->displayText();
    if (toPlainText() != text)
        setPlainText(text);
    setReadOnly(!m_link->canWrite());
}

void DBMemo::onTextChanged()
{
    if (m_showing || !m_link->canWrite())
        return;
    const QScopedValueRollback<bool> showing(m_showing, true);
    const QString kept = storableText(toPlainText());
    if (kept != toPlainText())
        setPlainText(kept);
    m_link->field()->setAsString(kept);
}
