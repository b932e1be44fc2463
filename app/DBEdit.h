#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QLineEdit>

class FieldLink;

// A line edit bound to one field of the current row. Text fields take what
// the user types at once; dates, money and numbers are converted when the row
// is posted, so a value that does not convert fails the post with its own error
// and the row stays pending. Date fields carry the mask dd.mm.yyyy, whose
// four year digits are required: Tab does not leave a box that lacks one.
class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit DBEdit(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    DataSource *dataSource() const;
    QString dataField() const;
    Field *field() const;

    // Empties both the text and the field (when it can be written).
    void clearValue();

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void configure();
    void showValue();
    void onChanged(Dataset::Change change);
    void onTextEdited(const QString &text);
    void flush();
    bool writesAtOnce() const;
    bool isBlank() const;
    bool fillsMask() const;
    void refuseIncompleteText();

    FieldLink *m_link;
    QVariant m_shown;     // the field value the text was last taken from
    bool m_pending = false; // the user typed text not yet in the row
    bool m_writing = false; // writing the user's text into the row
    Dataset *m_flushTarget = nullptr;
};
