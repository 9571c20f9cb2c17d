#include "store/history_saver.h"

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
    }
    m_changed.notify_all();
}

void HistorySaver::wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_waiting && !m_writing; });
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
        // Failures are not reported: the old file stays as it was.
        replaceFileSafely(job.path, m_formatter.format(job.table, job.lastScanStamp));
        // The copy goes before the next save is taken, while the window may change the table.
        job = Job{};
        lock.lock();
        m_writing = false;
        m_changed.notify_all();
    }
}

} // namespace amiscan
