#pragma once

#include <QDialog>
#include <QFont>
#include <QSize>

// Border of a window: a single border keeps the designed size, a sizeable
// one only starts at it.
enum class WindowBorder { Single, Sizeable };

// Sets the title-bar buttons (the close box unless told otherwise) and the
// designed client size of a window.
void setWindowFrame(QWidget *window, const QSize &clientSize, WindowBorder border,
                    Qt::WindowFlags buttons = Qt::WindowCloseButtonHint);

// The font of every window unless one names another.
QFont programFont();

// A window of the window set that is shown modally and only hidden when
// closed: centred on the main window the first time, later where it was left.
class ModalWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ModalWindow(const QString &caption, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
};
