#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <stdexcept>

class QFileDevice;
class QWidget;

// A picture or the page could not be written; carries the text for the user.
class CatalogWriteError : public std::runtime_error
{
public:
    explicit CatalogWriteError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Why a write of file failed, in words: a full disk is named as such.
QString writeFailureReason(const QFileDevice &file);

// One export of the project list, as its filter and order leave it, into a
// new folder named after the moment of the export beside the chosen file:
// the page, its pictures and the support files from the program's Data folder.
// The list is read row by row without moving it, so the bound controls stay put.
class CatalogExport
{
public:
    // chosenFile: the path picked in the save dialog (only its folder and
    // name are used); programFolder: where the Data folder lies.
    CatalogExport(QWidget *parent, const QString &chosenFile, const QString &programFolder);

    // Told the rows done of the rows to do; returning false cancels.
    using StepFn = std::function<bool(int done, int total)>;

    // Writes the export with count as the number of projects the page announces.
    // Returns false when a folder could not be created (the message was shown
    // and nothing else was written) or when step cancelled (the folder is
    // removed again). Throws CatalogWriteError when a support file, a picture
    // or the page cannot be written; the export folder is then removed.
    bool run(int count, const StepFn &step = {});

    QString exportFolder() const { return m_folder; }
    QString pagePath() const;

    // The support files, relative to the export folder and to the Data folder.
    static const QStringList &supportFiles();

private:
    bool createFolders() const;
    void copySupportFiles() const;
    // False when step cancelled.
    bool buildPage(int count, const StepFn &step, QStringList &lines) const;

    QWidget *m_parent;
    QString m_pageName;
    QString m_programFolder;
    QDateTime m_moment; // names the folder and dates the page
    QString m_folder;
};
