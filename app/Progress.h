#pragma once

#include <QString>
#include <Qt>
#include <QtGlobal>
#include <memory>

class QWidget;

// Progress of one long job: the count done of the count to do, with a way to
// cancel. Made through the seams (startProgress), so tests can cancel at a
// step of their choosing.
class Progress
{
public:
    virtual ~Progress() = default;
    // Reports done of total and keeps the windows painted; false once the
    // user cancelled. The job stops and cleans up when it sees false.
    virtual bool step(qint64 done, qint64 total) = 0;
};

// A dialog over parent that appears at the first step after the job has run
// about half a second.
// unit follows the counts ("МБ"); modality says what the job blocks meanwhile.
std::unique_ptr<Progress> startProgress(QWidget *parent, const QString &text, const QString &unit = {},
                                        Qt::WindowModality modality = Qt::WindowModal);

// Hides the progress dialogs on screen, so a message is never covered; a
// job that goes on shows its dialog again at its next step.
void hideProgressWindows();

// The real dialog (QProgressDialog), for the seams.
std::unique_ptr<Progress> progressDialog(QWidget *parent, const QString &text, const QString &unit,
                                         Qt::WindowModality modality);
