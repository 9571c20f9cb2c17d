#pragma once

#include "store/friends_table.h"
#include "store/presence_db.h"
#include "store/presence_periods.h"
#include "store/presence_query.h"
#include "store/scan_record.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <memory>
#include <optional>

namespace amiscan {

// Writes the presence log on the thread that makes it (PresenceLog's writer): every scan attempt,
// and for a read scan who came online and who went offline since the previous read scan. Whatever
// fails, it carries on: a scan that cannot be written leaves its stretch marked as lost.
class PresenceRecorder final
{
    Q_DISABLE_COPY_MOVE(PresenceRecorder)

public:
    explicit PresenceRecorder(const QString &path);
    ~PresenceRecorder();

    // Opens the log (PresenceDb::open, checked the first time) and reads what recording needs.
    // Every later call tries again while it is not ready.
    bool open();

    void runStarted(const QDateTime &now, qint64 steadyMs);
    void runEnded(const QDateTime &now);
    bool record(const ScanRecord &scan);
    // The history file's two sessions per friend, marked as imported; once per log.
    bool importHistory(const FriendsTable &table, const QDateTime &now);
    // Drops what is older than the days before now; a period running across the cut starts
    // there, its start unseen. No days: nothing is dropped.
    bool applyRetention(int days, const QDateTime &now);
    // False when the log knows no such friend.
    bool forget(const QString &userName);
    // Every friend and every scan, the run in progress kept (the history file is not taken again).
    bool forgetAll();
    QList<Period> periods(const PeriodQuery &query);

    // Records many scans in one transaction, for logs made up by the benchmarks.
    void beginBatch();
    void endBatch();

private:
    struct Known
    {
        qint64 id = 0;
        QString displayName;
    };
    struct LastRead
    {
        qint64 id = 0;
        ScanClock clock;
    };

    bool ready();
    bool load();
    // What the log knows of the friend with this user name: from the friends of the latest read
    // scan, else from the log. Nullopt when it knows no such friend; false when it cannot tell.
    bool findFriend(const QString &userName, std::optional<Known> *found);
    void reloadIfChangedElsewhere();
    qint64 dataVersion();
    bool begin();
    bool commit();
    // Logs why the statement failed; false.
    bool failed(const QSqlQuery &query);
    bool insertRun(QSqlQuery &query);
    bool recordChanges(QSqlQuery &query, const ScanRecord &scan, qint64 scanId,
                       QHash<QString, Known> &seen, QSet<qint64> &online);

    std::unique_ptr<PresenceDb> m_db;
    bool m_ready = false;
    bool m_checked = false;
    bool m_inBatch = false;
    qint64 m_dataVersion = 0;
    // The friends online at the latest read scan, by user name: the next scan shows most of them
    // again. The others are looked up in the log, so that what is held here does not grow with
    // every friend the log has ever seen.
    QHash<QString, Known> m_recent;
    QSet<qint64> m_online;
    std::optional<LastRead> m_lastRead;
    // The run in progress; its id is 0 until it is in the log.
    struct Run
    {
        QDateTime start;
        qint64 steadyMs = 0;
        qint64 id = 0;
    };
    std::optional<Run> m_run;
    // A read scan could not be written since the latest one that was.
    bool m_lost = false;
    // The latest scan that failed since the latest read scan (aborted ones aside): it names the
    // gap the next read scan closes.
    ScanOutcome m_failedSince = ScanOutcome::Failed;
};

} // namespace amiscan
