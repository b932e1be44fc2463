#pragma once

#include "data/backup/Backup.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class QThread;

// Runs one backup or restore on a worker thread. The counts can be read at
// any time from the thread that started it; finished() is delivered there.
// Destroying the job cancels it and waits for the worker.
class BackupJob : public QObject
{
    Q_OBJECT
public:
    // The work returns a text for the result (the copy's path), or empty
    // when it was cancelled; it throws DataError when it fails.
    using Work = std::function<QString(const Backup::ProgressFn &progress)>;

    explicit BackupJob(QObject *parent = nullptr);
    ~BackupJob() override;

    void start(Work work);
    bool isRunning() const { return m_running; }
    void cancel() { m_cancel = true; }
    // Waits for the worker; true when it ended within ms.
    bool wait(int ms);

    qint64 done() const { return m_done; }
    qint64 total() const { return m_total; }

    // Of the last run.
    QString result() const { return m_result; }
    QString error() const { return m_error; }

signals:
    void finished();

private:
    void ended();

    QThread *m_thread = nullptr;
    bool m_running = false;
    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
    QString m_result; // written by the worker, read after it ended
    QString m_error;
};
