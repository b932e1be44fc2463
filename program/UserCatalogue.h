#pragma once

#include <QString>

// The catalogue of a start from the applications menu: db.mdb in the user's
// data folder (QStandardPaths::AppDataLocation).
struct UserCatalogue
{
    QString path;
    bool created = false; // this start made it, empty
};

// Finds the user's catalogue, creating the folder and an empty catalogue the
// same way projectsales-newdb does when there is none yet. Throws DataError
// when either can't be made.
UserCatalogue prepareUserCatalogue();

// The notice shown once, on the start that created the catalogue.
QString userCatalogueCreatedText(const QString &path);
