#include "app/WindowFrame.h"

#include "app/WindowPlacement.h"

void setWindowFrame(QWidget *window, const QSize &clientSize, WindowBorder border,
                    Qt::WindowFlags buttons)
{
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | buttons);
    if (border == WindowBorder::Single)
        window->setFixedSize(clientSize);
    else
        window->resize(clientSize);
}

QFont programFont()
{
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

ModalWindow::ModalWindow(const QString &caption, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
}

void ModalWindow::showEvent(QShowEvent *event)
{
    placeOnFirstShow(this);
    QDialog::showEvent(event);
}
