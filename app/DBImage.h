#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QLabel>

class FieldLink;

// Shows the picture stored in a Blob field of the current row, centred at its
// own size inside a frame; empty when the row has none.
class DBImage : public QLabel
{
    Q_OBJECT
public:
    explicit DBImage(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    DataSource *dataSource() const;
    QString dataField() const;
    bool hasPicture() const;

private:
    void showValue();

    FieldLink *m_link;
    QByteArray m_bytes; // the picture shown
};
