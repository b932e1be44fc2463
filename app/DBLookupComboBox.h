#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QComboBox>
#include <QPointer>

class FieldLink;

// A drop-down list bound to a key field: the items come from a list data
// source (listField shown, keyField behind it); it shows the item whose key
// equals the bound field's value and writes the chosen key into that field.
class DBLookupComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    DataSource *dataSource() const;
    QString dataField() const;

    void setListSource(DataSource *source);
    void setKeyField(const QString &name);
    void setListField(const QString &name);
    DataSource *listSource() const { return m_listSource; }

private:
    void rebindList();
    void fillList();
    void showValue();
    void onActivated(int item);

    FieldLink *m_link;
    QPointer<DataSource> m_listSource;
    QPointer<Dataset> m_listDataset;
    QString m_keyField;
    QString m_listField;
    QMetaObject::Connection m_listConnection;
};
