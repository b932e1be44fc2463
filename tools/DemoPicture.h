#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

class QRandomGenerator;

// A made-up screenshot of a project: the complete bytes of a 400 x 315 BMP
// file, the size the program shows screenshots at. Needs a QGuiApplication
// (fonts).
QByteArray demoScreenshot(const QString &title, const QString &subtitle, QColor tint,
                          QRandomGenerator &rng);
