#pragma once

#include "app/WindowFrame.h"
#include "data/backup/Backup.h"

#include <QList>
#include <memory>

class BackupJob;
class Progress;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

// "Резервные копии": the copies of the database file, newest first, with
// their counts; a new copy made on request, a chosen one restored. Copies are
// made on a worker thread, so the window (and the program) stay usable and
// the window may be closed while one runs. The window also runs the
// automatic copy after start-up. On a server database it only says that the
// server keeps the backups.
class TfrmBackups : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmBackups(QWidget *parent = nullptr);
    ~TfrmBackups() override;
    void bindData();

    QLabel *lblInfo;
    QTableWidget *gridCopies;
    QPushButton *btnCreate;
    QPushButton *btnRestore;
    QPushButton *btnClose;

    void FormShow();
    void btnCreateClick(QObject *sender = nullptr);
    void btnRestoreClick(QObject *sender = nullptr);
    void btnCloseClick(QObject *sender = nullptr);

    // The once-a-day copy, silent; started once the main window is shown.
    void startAutomaticBackup();
    bool isBusy() const;
    // Waits for a running copy (at the end of the run).
    void finishWork();

    const QList<Backup::Copy> &copies() const { return m_copies; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refreshList();
    void updateButtons();
    void pollJob();
    void jobFinished();

    std::unique_ptr<BackupJob> m_job;
    std::unique_ptr<Progress> m_progress; // of a copy asked for in the window
    QTimer *m_poll;
    QList<Backup::Copy> m_copies;
};

extern TfrmBackups *frmBackups;
