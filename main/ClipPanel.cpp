#include "main/ClipPanel.h"

#include <QScrollBar>

ClipPanel::ClipPanel(QWidget *content, QWidget *parent)
    : QWidget(parent), m_content(content), m_bar(new QScrollBar(Qt::Horizontal, this))
{
    m_content->setParent(this);
    m_bar->setObjectName(QStringLiteral("sbClipPanel"));
    m_bar->hide();
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    connect(m_bar, &QScrollBar::valueChanged, this, &ClipPanel::place);
}

int ClipPanel::barHeight() const
{
    return m_bar->isVisibleTo(this) ? m_bar->sizeHint().height() : 0;
}

QSize ClipPanel::sizeHint() const
{
    return m_content->sizeHint() + QSize(0, barHeight());
}

QSize ClipPanel::minimumSizeHint() const
{
    return QSize(0, m_content->sizeHint().height() + barHeight());
}

void ClipPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int hidden = m_content->sizeHint().width() - width();
    if ((hidden > 0) != m_bar->isVisibleTo(this)) {
        // The bar takes its own height below the panel, never the panel's.
        m_bar->setVisible(hidden > 0);
        updateGeometry();
    }
    m_bar->setRange(0, qMax(0, hidden));
    m_bar->setPageStep(width());
    m_bar->setSingleStep(20);
    place();
}

void ClipPanel::place()
{
    const int bar = barHeight();
    m_content->setGeometry(-m_bar->value(), 0, qMax(width(), m_content->sizeHint().width()), height() - bar);
    m_bar->setGeometry(0, height() - bar, width(), bar);
}
