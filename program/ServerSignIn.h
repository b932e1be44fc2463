#pragma once

#include <QString>

// Before the data module opens a catalogue on a server that asks for a
// password: libpq's own ways first (~/.pgpass, PGPASSWORD), then the
// password the desktop's keyring keeps for it, then the sign-in window, at
// most three tries. The password that got in is used for the whole run; the
// keyring keeps it when the user asked to remember it, and forgets it when
// the user signed in without asking.
//
// False ends the start: the refusal (after "Отмена" or the third wrong
// password) or another failure to connect was shown. A file, or an address
// that carries its own password, is left to the data module.
bool signInToServer(const QString &location);

// What the start shows about the catalogue and the keyring knows it by:
// the address without a password.
QString signInKey(const QString &location);
