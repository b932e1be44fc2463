#pragma once

#include <QString>

class Dataset;
class QWidget;

// The program's caption: the main window's, and the standard error box's.
QString programCaption();

// The program's message boxes, all through the seams.

// Information: one OK button, information icon, a caption of its own per case.
void showNotice(QWidget *parent, const QString &caption, const QString &text);
// Confirmation of a deletion: Yes and No, caption "Удаление"; true means Yes.
bool askDelete(QWidget *parent, const QString &question);
// The same about the current row of dataset. Another user's delete, read in
// while the question is open, may take that row away: the user is told,
// and the row that took its place is not deleted instead (false).
bool askDeleteCurrent(QWidget *parent, Dataset *dataset, const QString &question);
// The standard error box for anything no handler caught.
void showStandardError(QWidget *parent, const QString &text);
