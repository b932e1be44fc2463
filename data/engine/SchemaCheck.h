#pragma once

class Database;

// Throws DataError(Missing) naming the first table or column the program
// needs that db lacks, DataError(NotADatabase) for an empty file or one of
// another program.
void checkSchema(const Database &db);
