#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of a start. Without options the program opens
// the catalogue that projectsales.ini names, else db.mdb in its working
// directory.
struct StartOptions
{
    // Started from the applications menu: open the user's own catalogue in
    // the per-user data folder, creating it on the first such start.
    bool userCatalogue = false;
    // For test runs without a person: messages go to standard error instead
    // of boxes, and the program ends as soon as its main window is shown.
    bool smokeTest = false;
    // --database: a file path or a postgresql:// URL; empty when not given.
    QString database;
};

// Reads the application's command line. --help and a wrong command line are
// answered on the console and end the program, as QCommandLineParser does.
StartOptions readStartOptions(const QStringList &arguments);

// The [database] url= of projectsales.ini in the working directory; empty
// when there is none. The password of a server follows libpq (~/.pgpass,
// PGPASSWORD); the program stores none.
QString databaseFromIni();
