#include "app/DBLookupComboBox.h"

#include "app/FieldLink.h"
#include "data/dataset/Field.h"

#include <QSignalBlocker>

DBLookupComboBox::DBLookupComboBox(QWidget *parent) : QComboBox(parent), m_link(new FieldLink(this))
{
    setEditable(false);
    connect(m_link, &FieldLink::bindingChanged, this, &DBLookupComboBox::showValue);
    connect(m_link, &FieldLink::datasetChanged, this, &DBLookupComboBox::showValue);
    connect(this, qOverload<int>(&QComboBox::activated), this, &DBLookupComboBox::onActivated);
}

void DBLookupComboBox::setDataSource(DataSource *source) { m_link->setDataSource(source); }
void DBLookupComboBox::setDataField(const QString &name) { m_link->setDataField(name); }
DataSource *DBLookupComboBox::dataSource() const { return m_link->dataSource(); }
QString DBLookupComboBox::dataField() const { return m_link->dataField(); }

void DBLookupComboBox::setListSource(DataSource *source)
{
    m_listSource = source;
    rebindList();
}

void DBLookupComboBox::setKeyField(const QString &name)
{
    m_keyField = name;
    fillList();
}

void DBLookupComboBox::setListField(const QString &name)
{
    m_listField = name;
    fillList();
}

void DBLookupComboBox::rebindList()
{
    QObject::disconnect(m_listConnection);
    m_listDataset = m_listSource ? m_listSource->dataSet() : nullptr;
    if (m_listDataset)
        m_listConnection = connect(m_listDataset, &Dataset::changed, this, [this](Dataset::Change c) {
            if (c == Dataset::Change::Reset)
                fillList();
        });
    fillList();
}

// The items are read by position, so filling the list never moves the list dataset.
void DBLookupComboBox::fillList()
{
    const QSignalBlocker blocker(this);
    clear();
    if (m_listDataset && m_listDataset->isActive()) {
        const Field *key = m_listDataset->findField(m_keyField);
        const Field *shown = m_listDataset->findField(m_listField);
        if (key && shown) {
            for (int row = 0; row < m_listDataset->recordCount(); ++row)
                addItem(m_listDataset->displayTextAt(row, shown), m_listDataset->valueAt(row, key));
        }
    }
    showValue();
}

void DBLookupComboBox::showValue()
{
    const QSignalBlocker blocker(this);
    const QVariant key = m_link->value();
    int found = -1;
    for (int i = 0; !key.isNull() && i < count() && found < 0; ++i)
        if (itemData(i) == key)
            found = i;
    setCurrentIndex(found);
}

void DBLookupComboBox::onActivated(int item)
{
    if (m_link->canWrite() && item >= 0)
        m_link->field()->setValue(itemData(item));
    else
        showValue();
}
