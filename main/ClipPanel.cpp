#include "main/ClipPanel.h"

ClipPanel::ClipPanel(QWidget *content, QWidget *parent)
    : QWidget(parent), m_content(content)
{
    m_content->setParent(this);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QSize ClipPanel::sizeHint() const
{
    return m_content->sizeHint();
}

QSize ClipPanel::minimumSizeHint() const
{
    return QSize(0, m_content->sizeHint().height());
}

void ClipPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_content->setGeometry(0, 0, qMax(width(), m_content->sizeHint().width()), height());
}
