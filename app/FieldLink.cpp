#include "app/FieldLink.h"

#include "data/dataset/Field.h"

#include <QDialog>
#include <QEvent>
#include <QWidget>

FieldLink::FieldLink(QObject *owner) : QObject(owner)
{
    owner->installEventFilter(this);
}

void FieldLink::setDataSource(DataSource *source)
{
    m_source = source;
    rebind();
}

void FieldLink::setDataField(const QString &name)
{
    m_fieldName = name;
    rebind();
}

void FieldLink::rebind()
{
    QObject::disconnect(m_connection);
    m_dataset = m_source ? m_source->dataSet() : nullptr;
    m_field = nullptr;
    if (m_dataset)
        m_connection = connect(m_dataset, &Dataset::changed, this, &FieldLink::onDatasetChanged);
    m_stale = false;
    emit bindingChanged();
}

bool FieldLink::inHiddenDialog() const
{
    const auto *widget = qobject_cast<const QWidget *>(parent());
    const QWidget *window = widget ? widget->window() : nullptr;
    return window && window != widget && qobject_cast<const QDialog *>(window) && window->isHidden();
}

void FieldLink::onDatasetChanged(Dataset::Change change)
{
    if (inHiddenDialog()) {
        m_stale = true;
        return;
    }
    emit datasetChanged(change);
}

bool FieldLink::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && m_stale) {
        m_stale = false;
        emit datasetChanged(Dataset::Change::Reset);
    }
    return QObject::eventFilter(watched, event);
}

Dataset *FieldLink::dataset() const
{
    return m_dataset;
}

Field *FieldLink::field() const
{
    if (!m_dataset || m_fieldName.isEmpty())
        return nullptr;
    if (!m_field)
        m_field = m_dataset->findField(m_fieldName);
    return m_field;
}

bool FieldLink::hasRow() const
{
    if (!field() || !m_dataset->isActive())
        return false;
    return m_dataset->isEditing() || m_dataset->recNo() >= 1;
}

QVariant FieldLink::value() const
{
    return hasRow() ? m_dataset->currentValue(m_field) : QVariant();
}

QString FieldLink::displayText() const
{
    return hasRow() ? m_field->displayText(m_dataset->currentValue(m_field)) : QString();
}

bool FieldLink::canWrite() const
{
    return field() && m_dataset->isEditing() && !m_field->isReadOnly();
}

QString storableText(const QString &text)
{
    QString kept = text;
    kept.remove(QChar(0));
    if (!kept.isEmpty() && kept.back().isHighSurrogate())
        kept.chop(1);
    return kept;
}
