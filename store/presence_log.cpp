#include "store/presence_log.h"

#include "store/clock.h"
#include "store/data_dir.h"
#include "store/presence_recorder.h"

namespace amiscan {

std::unique_ptr<PresenceLog> PresenceLog::open(const QString &dataDir)
{
    std::unique_ptr<PresenceLog> log(new PresenceLog(presenceLogPath(dataDir)));
    // Opened and checked on the log's thread: the window does not wait for it.
    log->post([](PresenceRecorder &recorder) { recorder.open(); });
    return log;
}

PresenceLog::PresenceLog(const QString &path) : m_path(path), m_thread([this] { run(); }) {}

PresenceLog::~PresenceLog()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void PresenceLog::post(Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_changed.notify_all();
}

void PresenceLog::run()
{
    // The connection is made, used and closed on this thread only.
    PresenceRecorder recorder(m_path);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
        // What was asked for before the end is still written.
        if (m_jobs.empty())
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_working = true;
        lock.unlock();
        job(recorder);
        lock.lock();
        m_working = false;
        m_changed.notify_all();
    }
}

void PresenceLog::runStarted(const QDateTime &now, qint64 steadyMs)
{
    post([now, steadyMs](PresenceRecorder &recorder) { recorder.runStarted(now, steadyMs); });
}

void PresenceLog::runEnded(const QDateTime &now)
{
    post([now](PresenceRecorder &recorder) { recorder.runEnded(now); });
}

void PresenceLog::recordScan(const ScanRecord &scan)
{
    post([scan](PresenceRecorder &recorder) { recorder.record(scan); });
}

void PresenceLog::importHistory(const FriendsTable &table)
{
    const QDateTime now = Clock::now();
    post([table, now](PresenceRecorder &recorder) { recorder.importHistory(table, now); });
}

void PresenceLog::applyRetention(int days, const QDateTime &now)
{
    post([days, now](PresenceRecorder &recorder) { recorder.applyRetention(days, now); });
}

void PresenceLog::forget(const QString &userName)
{
    post([userName](PresenceRecorder &recorder) { recorder.forget(userName); });
}

void PresenceLog::forgetAll()
{
    post([](PresenceRecorder &recorder) { recorder.forgetAll(); });
}

void PresenceLog::flush()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_working; });
}

QList<Period> PresenceLog::periods(const PeriodQuery &query)
{
    QList<Period> periods;
    post([&periods, query](PresenceRecorder &recorder) { periods = recorder.periods(query); });
    flush();
    return periods;
}

} // namespace amiscan
