#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QCheckBox>

class FieldLink;

// A check box bound to one Yes/No field. A click changes the field only while
// its dataset is inserting or editing; a read-only box never changes.
class DBCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit DBCheckBox(QWidget *parent = nullptr);
    explicit DBCheckBox(const QString &text, QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    DataSource *dataSource() const;
    QString dataField() const;

    void setReadOnlyBox(bool on);
    bool isReadOnlyBox() const { return m_readOnly; }

protected:
    void nextCheckState() override;

private:
    void showValue();

    FieldLink *m_link;
    bool m_readOnly = false;
};
