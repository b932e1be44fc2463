#pragma once

#include <QString>

class QWidget;

// Opens the current project's repository path in the repository browser
// named in the settings; what is missing or unsafe is a notice over parent.
void launchRepositoryBrowser(QWidget *parent);

// The browser's parameter string for a project path on a repository server.
QString repositoryBrowserParameters(const QString &address, const QString &path);
