#include "app/DBEdit.h"

#include "app/FieldLink.h"
#include "app/Messages.h"
#include "data/dataset/Field.h"

#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QTimer>

DBEdit::DBEdit(QWidget *parent) : QLineEdit(parent), m_link(new FieldLink(this))
{
    connect(m_link, &FieldLink::bindingChanged, this, &DBEdit::configure);
    connect(m_link, &FieldLink::datasetChanged, this, &DBEdit::onChanged);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::onTextEdited);
    configure();
}

void DBEdit::setDataSource(DataSource *source) { m_link->setDataSource(source); }
void DBEdit::setDataField(const QString &name) { m_link->setDataField(name); }
DataSource *DBEdit::dataSource() const { return m_link->dataSource(); }
QString DBEdit::dataField() const { return m_link->dataField(); }
Field *DBEdit::field() const { return m_link->field(); }

// Dates take the mask dd.mm.yyyy, all four year digits required; text fields
// are bounded by their size.
static QString qtMask(const QString &editMask)
{
    return editMask.isEmpty() ? QString() : QStringLiteral("99.99.0000;_");
}

void DBEdit::configure()
{
    const Field *f = field();
    setInputMask(f ? qtMask(f->editMask()) : QString());
    setMaxLength(f && f->type() == FieldType::Text && f->size() > 0 ? f->size() : 32767);
    Dataset *ds = m_link->dataset();
    if (f && !writesAtOnce() && ds != m_flushTarget) {
        m_flushTarget = ds;
        ds->registerFlush(this, [this, ds] {
            if (m_link->dataset() == ds)
                flush();
        });
    }
    showValue();
}

bool DBEdit::writesAtOnce() const
{
    const Field *f = field();
    return !f || f->type() == FieldType::Text || f->type() == FieldType::Memo;
}

void DBEdit::showValue()
{
    m_pending = false;
    m_shown = m_link->value();
    setText(m_link->displayText());
    setReadOnly(!m_link->canWrite());
}

void DBEdit::onChanged(Dataset::Change change)
{
    if (m_writing)
        return; // our own write: the text is already what the user typed
    // A change of another field of the pending row, or a reference list reloaded
    // under it, keeps what the user is typing here.
    const bool keepsRow = change == Dataset::Change::Record
                          || (change == Dataset::Change::Reset && m_link->canWrite());
    if (keepsRow && m_pending && m_link->value() == m_shown)
        return;
    showValue();
}

void DBEdit::onTextEdited(const QString &text)
{
    if (!m_link->canWrite())
        return;
    if (!writesAtOnce()) {
        m_pending = true;
        return;
    }
    const QString kept = storableText(text);
    if (kept != text)
        setText(kept);
    {
        const QScopedValueRollback<bool> writing(m_writing, true);
        field()->setAsString(kept);
    }
    m_shown = m_link->value();
}

bool DBEdit::isBlank() const
{
    if (inputMask().isEmpty())
        return text().trimmed().isEmpty();
    QString typed = displayText();
    typed.remove(QLatin1Char('_')).remove(QLatin1Char('.'));
    return typed.trimmed().isEmpty();
}

// Qt's line edit takes a text with empty required places ('0') as acceptable;
// they are checked here. The masks used carry no escapes.
bool DBEdit::fillsMask() const
{
    const QString mask = inputMask().section(QLatin1Char(';'), 0, 0);
    const QString shown = displayText();
    for (qsizetype i = 0; i < mask.size() && i < shown.size(); ++i)
        if (mask.at(i) == QLatin1Char('0') && !shown.at(i).isDigit())
            return false;
    return true;
}

// Leaving with Tab is refused while a required place is empty, as a masked
// box does; a click elsewhere (a cancel button, say) is let through, and a
// post then fails on the text.
void DBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    const bool tabbed = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (tabbed && m_pending && !isBlank() && !fillsMask())
        QTimer::singleShot(0, this, &DBEdit::refuseIncompleteText);
}

void DBEdit::refuseIncompleteText()
{
    if (!isVisible())
        return; // its window closed meanwhile
    showStandardError(this, QStringLiteral("«%1» не является допустимой датой").arg(displayText()));
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

// Runs when the row is posted; a text that does not convert throws and the
// post fails with the row still pending.
void DBEdit::flush()
{
    if (!m_pending || !m_link->canWrite())
        return;
    if (isBlank())
        field()->clear();
    else
        field()->setAsString(inputMask().isEmpty() ? text() : displayText());
    m_pending = false;
    m_shown = m_link->value();
}

void DBEdit::clearValue()
{
    if (m_link->canWrite())
        field()->clear();
    clear();
    m_pending = false;
    m_shown = m_link->value();
}
