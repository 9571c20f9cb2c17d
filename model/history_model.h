#pragma once

#include "model/weekly_pattern.h"
#include "store/period_export.h"
#include "store/presence_coverage.h"
#include "store/presence_query.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace amiscan {

class PresenceDb;

// The days the history shows at first, and the weeks a weekly pattern looks back.
inline constexpr int HistoryDays = 14;
inline constexpr int PatternWeeks = 12;

// Some friends' history over a stretch of days, as the history window shows it.
struct HistoryQuery
{
    QStringList friends; // user names
    QDateTime from;
    QDateTime to;
};

struct HistoryView
{
    HistoryQuery query;
    // The friends' periods that reach into the days, friend by friend, each in order of start.
    QList<Period> periods;
    // What the log observed, with the stretches that reach into the days.
    LogCoverage coverage;
    // Per friend of the query, their pattern over the weeks up to the end of the days.
    QList<WeeklyPattern> patterns;
    QString error; // why the log could not be read; empty when it was
};

// Reads the presence log for the history window, off the window's thread: a read-only connection
// of its own on a thread of its own, beside the program's writer, so that the scans go on as
// they do. Every call returns at once; the answers come as signals on the caller's thread. Only
// the latest view asked for is read: the ones asked before it are dropped unread.
class HistoryModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryModel)

public:
    explicit HistoryModel(const QString &dataDir, QObject *parent = nullptr);
    // Waits for the query being read, if any, and closes the connection.
    ~HistoryModel() override;

    void askView(const HistoryQuery &query);
    // The periods that reach into the time (the friends' while the user was away).
    void askPeriods(const PeriodQuery &query);
    // Writes the periods through the command line's writers.
    void exportPeriods(const QList<Period> &periods, ExportFormat format, const QString &path);

signals:
    void viewReady(const HistoryView &view);
    void periodsReady(const QList<Period> &periods, const LogCoverage &coverage);
    // An empty error: written.
    void exported(const QString &path, const QString &error);

private:
    // Runs on the reading thread.
    template <typename Job> void post(Job job);
    bool openLog(QString *error);
    HistoryView readView(const HistoryQuery &query);

    QString m_path;
    QThread m_thread;
    QObject *m_reader = nullptr; // lives on m_thread
    std::unique_ptr<PresenceDb> m_db;
    std::atomic<quint64> m_latestView{0};
};

} // namespace amiscan
