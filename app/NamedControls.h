#pragma once

#include <QPushButton>
#include <QString>

// Controls made in code carry their name from the design as their objectName,
// so tests and accessibility tools find them by it.
namespace controls {

template <typename W> W *named(const char *name, QWidget *parent)
{
    auto *widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A button that Enter presses only when it is the dialog's default.
inline QPushButton *button(const char *name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace controls
