#pragma once

#include <QByteArray>
#include <QString>

// The screenshots column holds one form only: the complete bytes of a BMP
// file. Any picture Qt can read is converted to it, so nothing the user
// loads is silently dropped.

// Returns the file's picture as BMP file bytes; empty, with *error naming
// the file, when the file can't be read as a picture.
QByteArray pictureFileAsBitmap(const QString &path, QString *error);

// The filter of the picture file dialog: bitmaps first, then every kind
// the program can read.
QString pictureFileFilter();
