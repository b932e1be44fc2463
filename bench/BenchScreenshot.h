#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

// A screenshot as the program stores one: the BMP bytes of a 400 x 315 picture
// (about 378 KB).
inline QByteArray benchScreenshot()
{
    QImage image(400, 315, QImage::Format_RGB888);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}
