#pragma once

#include "data/core/DataError.h"

class QSqlError;

// The one place where the database's refusals become the program's words:
// a Russian first line that says what happened, the engine's text as the second.
DataError databaseError(const QSqlError &error);
// The same for a kind already known (the server's codes are read in its engine).
DataError databaseError(DataError::Kind kind, const QString &engineText);
// The same for an engine text and code outside a QSqlError (code may be empty).
DataError databaseError(const QString &engineText, const QString &nativeCode);
