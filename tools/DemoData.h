#pragma once

#include <QString>

// Fills a new, empty database (a file or a server URL) with a catalogue to try the program on:
// reference books, projects (some with screenshots) and their sales. The same
// file every run. All of it is stored in one transaction or none of it.
// Throws DataError on failure.
void fillDemoData(const QString &path);
