#pragma once

#include <QByteArray>
#include <QString>

// What a file is, told from its first page alone, before any library reads it
// (the name says nothing: a legacy db.mdb and the program's own are both
// called that).
enum class StoredFileKind {
    Empty,         // no bytes at all
    Catalogue,     // an SQLite file: the program's own format
    Jet4,          // Access 2000-2003 (.mdb): the one legacy format converted
    Jet3,          // Access 97
    Accdb,         // Access 2007 and later
    Encrypted,     // Jet 4 with its pages encrypted
    Password,      // Jet 4 protected by a database password
    Truncated,     // a Jet 4 header, but not whole pages
    NotADatabase   // anything else
};

StoredFileKind storedFileKind(const QByteArray &firstPage, qint64 fileSize);
// Reads what it needs of the file; a file that can't be read counts as NotADatabase.
StoredFileKind storedFileKind(const QString &path);

// True for the kinds that come from Access, which the program recognises and
// either converts (Jet4) or refuses with a text of their own.
bool isAccessKind(StoredFileKind kind);

// For a file the program can neither open nor convert: the Russian text that
// says what the file is and what to do about it.
QString refusalText(StoredFileKind kind, const QString &shownPath);
// A Jet 4 file whose pages turned out unreadable while it was read.
QString damagedText(const QString &shownPath, const QString &what);
