#include "app/DBCheckBox.h"

#include "app/FieldLink.h"
#include "data/dataset/Field.h"

DBCheckBox::DBCheckBox(QWidget *parent) : DBCheckBox(QString(), parent) {}

DBCheckBox::DBCheckBox(const QString &text, QWidget *parent)
    : QCheckBox(text, parent), m_link(new FieldLink(this))
{
    connect(m_link, &FieldLink::bindingChanged, this, &DBCheckBox::showValue);
    connect(m_link, &FieldLink::datasetChanged, this, &DBCheckBox::showValue);
}

void DBCheckBox::setDataSource(DataSource *source) { m_link->setDataSource(source); }
void DBCheckBox::setDataField(const QString &name) { m_link->setDataField(name); }
DataSource *DBCheckBox::dataSource() const { return m_link->dataSource(); }
QString DBCheckBox::dataField() const { return m_link->dataField(); }

void DBCheckBox::setReadOnlyBox(bool on)
{
    m_readOnly = on;
    setFocusPolicy(on ? Qt::NoFocus : Qt::StrongFocus);
}

void DBCheckBox::showValue()
{
    setChecked(m_link->value().toBool());
}

// A click writes the field; while the row can't be written the box stays as it is.
void DBCheckBox::nextCheckState()
{
    if (m_readOnly || !m_link->canWrite())
        return;
    m_link->field()->setAsBoolean(!isChecked());
    showValue();
}
