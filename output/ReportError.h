#pragma once

#include <QString>
#include <stdexcept>

// An error of the report engine (a project file that is missing or does not
// read, a report that cannot run). The application's standard error box
// shows its text.
class ReportError : public std::runtime_error
{
public:
    explicit ReportError(const QString &text)
        : std::runtime_error(text.toLocal8Bit().toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};
