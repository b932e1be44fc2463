#include "project/PictureFile.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace {

// A bitmap without an alpha channel reads the same everywhere; transparent
// parts of icons and PNGs are laid over white, as a window would show them.
QImage opaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.setDotsPerMeterX(image.dotsPerMeterX());
    flat.setDotsPerMeterY(image.dotsPerMeterY());
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

} // namespace

QByteArray pictureFileAsBitmap(const QString &path, QString *error)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("Не удалось загрузить рисунок из файла \"%1\": %2")
                         .arg(QDir::toNativeSeparators(path), reader.errorString());
        return {};
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!opaque(image).save(&buffer, "BMP")) {
        if (error)
            *error = QStringLiteral("Не удалось преобразовать рисунок из файла \"%1\" в BMP")
                         .arg(QDir::toNativeSeparators(path));
        return {};
    }
    return bytes;
}

QString pictureFileFilter()
{
    QStringList patterns;
    const auto formats = QImageReader::supportedImageFormats();
    for (const QByteArray &format : formats)
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    patterns.removeDuplicates();
    return QStringLiteral("Bitmaps (*.bmp);;All pictures (%1);;All files (*)").arg(patterns.join(QLatin1Char(' ')));
}
