#pragma once

#include "store/presence_periods.h"
#include "store/scan_record.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>

#include <optional>

namespace amiscan {

// A scan attempt as the presence log kept it.
struct LoggedScan
{
    QDateTime start;
    QDateTime end;
    ScanRoute route = ScanRoute::Direct;
    ScanOutcome outcome = ScanOutcome::Failed;
    int entryCount = 0;
    int detail = 0;
    int intervalMinutes = 0;
};

// The stretch since the latest read scan, when it is not observed now.
struct CurrentStretch
{
    Unobserved cause = Unobserved::None; // None: the scans observe
    QDateTime since; // the latest read scan's end, else the first failure's start
    // The latest failure since, aborted scans aside, when the stretch is one of failures.
    std::optional<LoggedScan> failure;
};

// Whether the stretch from the latest read scan to now is observed: not when a scan has failed
// since (named by the latest failure), when the program's run of that scan has ended since (not
// running), or when no scan came for longer than 1.5 times the interval in force (a gap; with
// repetition off, at once). Asleep and not running are known only from the clocks of the next
// scan. `after`: the scans after the latest read scan, in order.
CurrentStretch currentStretch(const std::optional<LoggedScan> &latestRead,
                              const QList<LoggedScan> &after, bool runEndedSince,
                              const QDateTime &now);

// What `amiscan --status` shows: the latest scans, newest first, and the stretch now.
struct ScanStatus
{
    QList<LoggedScan> latest;
    CurrentStretch stretch;
};

// Reads the latest `count` scans and the current stretch from a connection to the log, of any
// version. False with `*error` when the log cannot be read.
bool readScanStatus(QSqlDatabase &db, int count, const QDateTime &now, ScanStatus *status,
                    QString *error = nullptr);

} // namespace amiscan
