#pragma once

#include "store/friends_table.h"
#include "store/presence_periods.h"
#include "store/presence_query.h"
#include "store/scan_record.h"

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace amiscan {

class PresenceRecorder;

// The presence log "Amiscan.db" in the data directory: every scan attempt, who came online and
// who went offline, from which the honest online periods are read. Everything it does runs on a
// thread of its own with a connection of its own; the calls return at once, in order. Whatever
// the log does (damaged, locked, a full disk), the scan, the window and the history file go on:
// it logs why in "amiscan.files".
class PresenceLog final
{
    Q_DISABLE_COPY_MOVE(PresenceLog)

public:
    // Never fails: a log that cannot be opened, or that fails its check, is kept aside under a
    // dated name and a fresh one started; without any, the calls do nothing.
    static std::unique_ptr<PresenceLog> open(const QString &dataDir);
    // Writes what was asked for, then closes the log.
    ~PresenceLog();

    // The program started or ends: the time it was not running is known from the log itself.
    void runStarted(const QDateTime &now, qint64 steadyMs);
    void runEnded(const QDateTime &now);
    // Every scan attempt. The log works out itself who came online or went offline since its
    // previous read scan.
    void recordScan(const ScanRecord &scan);
    // The history file's two sessions per friend, marked as imported: only the first time the
    // log is given them.
    void importHistory(const FriendsTable &table);
    // Drops what is older than the days before now (none or fewer than 1: keeps everything).
    void applyRetention(int days, const QDateTime &now);
    // Removes a friend's log. A friend deleted from the table keeps theirs until forgotten.
    void forget(const QString &userName);
    // Removes every friend's log.
    void forgetAll();
    // Returns once everything asked for so far is written.
    void flush();
    // The periods, once everything asked for so far is written.
    QList<Period> periods(const PeriodQuery &query);

    QString path() const { return m_path; }

private:
    explicit PresenceLog(const QString &path);
    using Job = std::function<void(PresenceRecorder &)>;
    void post(Job job);
    void run();

    QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_working = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace amiscan
