#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QPlainTextEdit>

class FieldLink;

// A multi-line text bound to one text or memo field; what the user types goes
// into the pending row at once.
class DBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit DBMemo(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    DataSource *dataSource() const;
    QString dataField() const;

private:
    void showValue();
    void onTextChanged();

    FieldLink *m_link;
    bool m_showing = false;
};
