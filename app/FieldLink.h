#pragma once

#include "data/dataset/Dataset.h"
#include "data/dataset/DataSource.h"

#include <QObject>
#include <QPointer>

// The binding of one data-bound widget to one field of a data source. The
// field is resolved once both the source and the field name are known, in
// either order; every read is safe while the dataset is closed or empty.
// A widget of a dialog that is hidden (made at start, shown now and then)
// is told of the dataset's changes once it is shown, not on every move.
class FieldLink : public QObject
{
    Q_OBJECT
public:
    explicit FieldLink(QObject *owner);

    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    DataSource *dataSource() const { return m_source; }
    QString dataField() const { return m_fieldName; }

    Dataset *dataset() const;
    Field *field() const; // null until resolved
    // There is a current row (or a pending one) to show.
    bool hasRow() const;
    // The current row's value and display text; empty without a row.
    QVariant value() const;
    QString displayText() const;
    // The field may be written now: bound, dataset inserting or editing, field writable.
    bool canWrite() const;

signals:
    // Bound, unbound or rebound.
    void bindingChanged();
    // The dataset changed; the widget shows the value again.
    void datasetChanged(Dataset::Change change);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebind();
    void onDatasetChanged(Dataset::Change change);
    bool inHiddenDialog() const;

    QPointer<DataSource> m_source;
    QPointer<Dataset> m_dataset;
    QString m_fieldName;
    mutable Field *m_field = nullptr;
    QMetaObject::Connection m_connection;
    bool m_stale = false; // a change not shown while in a hidden dialog
};

// Typed or pasted text as a text field can keep it: without NUL characters
// and without half a character left at the end by a length limit. The box
// shows what is kept, so nothing is dropped unseen.
QString storableText(const QString &text);
