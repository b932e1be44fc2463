#pragma once

#include "program/StartOptions.h"

#include <QString>

// The program's long-lived objects. They are created in a fixed order: the
// main window, the data module Dm, then the ten dialogs and reference
// windows; once Dm exists every window is bound to its data sources, and
// the calls of one window into a window of another folder (the reference
// books into the main window's project list, the project editor into its
// reference-book items) are handed over here. No window is shown here.
//
// Throws DataError when the data module can't open the database; whatever
// was created before is destroyed again.
void createWindowSet(const QString &dbPath = QStringLiteral("db.mdb"));

// Destroys every window and the data module, which closes the connection.
// Does nothing for objects that don't exist.
void destroyWindowSet();

// Start-up as the program does it: a failure shows the data layer's text in
// the standard error box and returns false, with nothing created.
bool startWindowSet(const QString &dbPath = QStringLiteral("db.mdb"));

// The whole run: start-up on the database the options name (the user's own
// catalogue is created on first use, with a notice), the main window shown
// (its show handler runs), the event loop until the main window closes, the
// window set destroyed. Returns the exit code, non-zero when start-up failed.
int runProgram(const StartOptions &options = {});
