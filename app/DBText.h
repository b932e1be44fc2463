#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QLabel>

class FieldLink;

// Read-only display text of one field of the current row.
class DBText : public QLabel
{
    Q_OBJECT
public:
    explicit DBText(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    DataSource *dataSource() const;
    QString dataField() const;

private:
    void showValue();

    FieldLink *m_link;
};
