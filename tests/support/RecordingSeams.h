#pragma once

#include "SeamsOverride.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>

// Replaces every seam for its lifetime: records what the program shows and
// starts, answers questions and file dialogs from queues, and renders print
// previews to PDF files in a temporary folder.
class RecordingSeams
{
public:
    struct Message {
        QString caption;
        QString text;
    };
    struct Started {
        QString program;
        QString parameters;
    };

    RecordingSeams();
    RecordingSeams(const RecordingSeams &) = delete;
    RecordingSeams &operator=(const RecordingSeams &) = delete;

    QList<Message> notices;
    QList<Message> questions;
    QStringList errors;
    QList<QUrl> urls;
    QList<Started> programs;
    QStringList previewTitles;
    QStringList previewFiles; // one PDF per preview
    int previewPages = 0;     // pages rendered by the last preview

    // Answers, taken in order; when empty: Yes, and an empty file name (cancel).
    QQueue<bool> answers;
    QQueue<QString> openFileAnswers;
    QQueue<QString> saveFileAnswers;
    QStringList saveFileSuggestions; // the name or folder each save dialog started with
    QQueue<QString> directoryAnswers;
    bool startResult = true;
    bool openUrlResult = true;
    int screenWidthValue = 1600;

    // The program's own dialogs run modally: their objectNames in order, and
    // the results they return, taken in order (when empty: Rejected). Before
    // answering, onDialog may look at the dialog's widgets.
    QStringList dialogs;
    QQueue<int> dialogAnswers;
    std::function<void(QDialog *)> onDialog;

    // Progress of long jobs: the texts shown, the steps reported (done of
    // total, the last one), and a step at which the user cancels (-1: never).
    QStringList progressTexts;
    int progressSteps = 0;
    qint64 progressDone = 0;
    qint64 progressTotal = 0;
    int cancelAtStep = -1;

    QString tempPath() const { return m_dir.path(); }
    // The user's settings of this run: a file of its own, empty at first.
    QString settingsPath() const { return m_dir.filePath(QStringLiteral("settings.ini")); }
    void clear();

private:
    void install();

    SeamsOverride m_restore;
    QTemporaryDir m_dir;
};
