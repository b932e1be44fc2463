#include "data/backup/BackupJob.h"

#include "data/core/DataError.h"

#include <QThread>

BackupJob::BackupJob(QObject *parent) : QObject(parent) {}

BackupJob::~BackupJob()
{
    if (m_thread) {
        cancel();
        m_thread->wait();
        delete m_thread;
    }
}

void BackupJob::start(Work work)
{
    if (m_running)
        return;
    delete m_thread;
    m_running = true;
    m_cancel = false;
    m_done = 0;
    m_total = 0;
    m_result.clear();
    m_error.clear();
    m_thread = QThread::create([this, work] {
        const Backup::ProgressFn progress = [this](qint64 done, qint64 total) {
            m_done = done;
            m_total = total;
            return !m_cancel.load();
        };
        try {
            m_result = work(progress);
        } catch (const DataError &e) {
            m_error = e.text();
        } catch (const std::exception &e) {
            m_error = QString::fromLocal8Bit(e.what());
        }
    });
    // Delivered in this object's thread once the worker has ended.
    connect(m_thread, &QThread::finished, this, &BackupJob::ended);
    m_thread->start();
}

bool BackupJob::wait(int ms)
{
    return !m_thread || m_thread->wait(QDeadlineTimer(ms));
}

void BackupJob::ended()
{
    m_running = false;
    emit finished();
}
