#pragma once

#include "app/Progress.h"

#include <QString>
#include <QUrl>
#include <functional>

class QDialog;
class QSettings;
class QWidget;
class QPrinter;

// The desktop's keyring (its secret service): where a server password the
// user asked to remember is kept, never in a file of the program. Each call
// waits for the keyring's answer.
struct Keyring
{
    // Why no password can be kept here; empty when a keyring answers.
    std::function<QString()> unavailable;
    // The password kept under key; empty when there is none.
    std::function<QString(const QString &key)> read;
    // False when the keyring refused it.
    std::function<bool(const QString &key, const QString &password)> write;
    std::function<void(const QString &key)> forget;
};

// Everything that leaves the process or waits for a person goes through
// these function objects, so tests can replace them and run headless.
struct Seams
{
    // One OK button, information icon.
    std::function<void(QWidget *parent, const QString &caption, const QString &text)> notice;
    // Yes and No, Yes the default, no icon; true means Yes.
    std::function<bool(QWidget *parent, const QString &caption, const QString &text)> question;
    // The application's standard error box: critical icon, caption the application name.
    std::function<void(QWidget *parent, const QString &text)> errorBox;

    // Return an empty text when the user cancels.
    std::function<QString(QWidget *parent, const QString &caption, const QString &dir,
                          const QString &filter)> openFileName;
    // defaultSuffix is added to a name typed without one, so the question
    // before replacing a file is about the file that will be written;
    // askOverwrite false leaves an existing file to the caller.
    std::function<QString(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                          const QString &defaultSuffix, bool askOverwrite)> saveFileName;
    std::function<QString(QWidget *parent, const QString &caption, const QString &dir)> existingDirectory;

    // A modal print preview; render paints the pages on the printer it is given.
    std::function<void(QWidget *parent, const QString &title,
                       std::function<void(QPrinter *)> render)> preview;

    // The shell: parameters are split like a command line. False when it could not start.
    std::function<bool(const QString &program, const QString &parameters)> startProgram;
    // Hands a link to the desktop's program for it; failed runs, at once or a
    // moment later, when no program took it (the opener could not start or
    // said it failed).
    std::function<void(const QUrl &url, std::function<void()> failed)> openUrl;

    // Runs one of the program's own dialogs modally; returns its result
    // (QDialog::Accepted, Rejected, or what the dialog set with done()).
    std::function<int(QDialog *dialog)> modal;

    // The progress of a long job (see startProgress).
    std::function<std::unique_ptr<Progress>(QWidget *parent, const QString &text, const QString &unit,
                                            Qt::WindowModality modality)> progress;

    // Width of the primary screen in pixels.
    std::function<int()> screenWidth;

    // What the program remembers for the user between runs (window places,
    // column widths, last choices); never a catalogue's data.
    std::function<std::unique_ptr<QSettings>()> userSettings;

    Keyring keyring;

    // The real implementations.
    static Seams real();
};

// The seams in use; the real ones unless a test replaced them.
Seams &seams();
