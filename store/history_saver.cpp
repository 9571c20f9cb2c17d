#include "store/history_saver.h"

#include "store/memory_release.h"
#include "store/safe_file.h"

namespace amiscan {

HistorySaver::HistorySaver() : m_thread([this] { run(); }) {}

HistorySaver::~HistorySaver()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void HistorySaver::save(const QString &path, const FriendsTable &table,
                        const QString &lastScanStamp)
{
    {
        const std::lock_guard lock(m_mutex);
        m_waiting = Job{path, table, lastScanStamp};
        m_failedJob.reset();
    }
    m_changed.notify_all();
}

void HistorySaver::wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_waiting && !m_writing; });
}

std::optional<SaveFailure> HistorySaver::failure()
{
    const std::lock_guard lock(m_mutex);
    return m_failure;
}

void HistorySaver::retry()
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_failedJob || m_waiting)
            return;
        m_waiting = std::move(m_failedJob);
        m_failedJob.reset();
    }
    m_changed.notify_all();
}

void HistorySaver::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_waiting || m_stopping; });
        // A save asked for before the end is still written.
        if (!m_waiting)
            return;
        Job job = std::move(*m_waiting);
        m_waiting.reset();
        m_writing = true;
        lock.unlock();
        // A failure leaves the old file as it was; the save is kept to be written again.
        QString reason;
        const bool written =
            m_file.write(job.path, m_formatter.format(job.table, job.lastScanStamp), &reason);
        std::optional<Job> failed;
        if (!written)
            failed = std::move(job);
        // The copy goes before the next save is taken, while the window may change the table.
        job = Job{};
        lock.lock();
        if (!m_waiting && !m_stopping) {
            // Nothing else to write: what the formatting and the scan before it used goes back.
            lock.unlock();
            releaseFreedMemory();
            lock.lock();
        }
        if (written)
            m_failure.reset();
        else
            m_failure = SaveFailure{failed->path, reason};
        if (!m_waiting)
            m_failedJob = std::move(failed);
        m_writing = false;
        m_changed.notify_all();
    }
}

} // namespace amiscan
