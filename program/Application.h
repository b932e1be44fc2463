#pragma once

#include <QApplication>

// The application object: Qt's own texts in Russian; an exception escaping an
// event handler is shown in the standard error box and the event loop goes on.
class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Registers the pictures compiled into the static library (once; later calls
// do nothing).
void initResources();
