#pragma once

#include <QCursor>
#include <QGuiApplication>

// The wait cursor while a change is written: another program's lock can make
// the write wait a moment before it succeeds or is refused.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
