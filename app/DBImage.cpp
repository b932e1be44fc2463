#include "app/DBImage.h"

#include "app/FieldLink.h"
#include "data/dataset/Field.h"

#include <QImage>
#include <QPixmap>
#include <QTimer>

DBImage::DBImage(QWidget *parent) : QLabel(parent), m_link(new FieldLink(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setScaledContents(false);
    connect(m_link, &FieldLink::bindingChanged, this, &DBImage::valueChanged);
    connect(m_link, &FieldLink::datasetChanged, this, &DBImage::valueChanged);
}

void DBImage::setDataSource(DataSource *source) { m_link->setDataSource(source); }
void DBImage::setDataField(const QString &name) { m_link->setDataField(name); }
DataSource *DBImage::dataSource() const { return m_link->dataSource(); }
QString DBImage::dataField() const { return m_link->dataField(); }

bool DBImage::hasPicture() const
{
    const_cast<DBImage *>(this)->showValue();
    return !pixmap().isNull();
}

void DBImage::valueChanged()
{
    m_stale = true;
    if (!isVisible() || m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        showValue();
    });
}

void DBImage::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    showValue();
}

void DBImage::showValue()
{
    if (!m_stale)
        return;
    m_stale = false;
    const QByteArray bytes = m_link->value().toByteArray();
    if (bytes == m_bytes && !bytes.isEmpty())
        return;
    m_bytes = bytes;
    const QImage image = bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
    if (image.isNull())
        clear();
    else
        setPixmap(QPixmap::fromImage(image));
}
