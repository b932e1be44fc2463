#include "app/DBText.h"

#include "app/FieldLink.h"

DBText::DBText(QWidget *parent) : QLabel(parent), m_link(new FieldLink(this))
{
    setTextFormat(Qt::PlainText);
    connect(m_link, &FieldLink::bindingChanged, this, &DBText::showValue);
    connect(m_link, &FieldLink::datasetChanged, this, &DBText::showValue);
}

void DBText::setDataSource(DataSource *source) { m_link->setDataSource(source); }
void DBText::setDataField(const QString &name) { m_link->setDataField(name); }
DataSource *DBText::dataSource() const { return m_link->dataSource(); }
QString DBText::dataField() const { return m_link->dataField(); }

void DBText::showValue()
{
    setText(m_link->displayText());
}
