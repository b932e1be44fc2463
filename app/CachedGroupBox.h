#pragma once

#include <QGroupBox>
#include <QPixmap>

// A group box drawn once into a picture and painted from it: the window
// repaints the frames beneath every text that changes inside them, and the
// style lays out and draws the whole frame and title each time. A large
// frame is drawn by the style as before.
class CachedGroupBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString lookOf(const QStyleOptionGroupBox &option) const;

    QPixmap m_picture;
    QString m_look;
};
