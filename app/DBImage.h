#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QLabel>

class FieldLink;

// Shows the picture stored in a Blob field of the current row, centred at its
// own size inside a frame; empty when the row has none. The picture is read
// once control comes back to the window, not on every move of the row: a key
// held down through the list reads only the pictures that get seen.
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

protected:
    void showEvent(QShowEvent *event) override;

private:
    void valueChanged();
    void showValue();

    FieldLink *m_link;
    QByteArray m_bytes; // the picture shown
    bool m_stale = true;
    bool m_pending = false;
};
