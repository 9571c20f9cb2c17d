#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringView>

namespace amiscan {

// How a scan reached the friends page.
enum class ScanRoute
{
    Direct,
    Browser,
};

// How a scan ended. Kept in the presence log as a short text code that never changes, so that
// later causes of failure can be added without touching the logs already written.
enum class ScanOutcome
{
    Read,   // the friends page was read and merged
    Failed, // any failure without a cause of its own
};

QString routeCode(ScanRoute route);
QString outcomeCode(ScanOutcome outcome);
// A code this version does not know reads as a failure: a newer version's cause is one.
ScanOutcome outcomeFromCode(QStringView code);

// A friend online in a scan, keyed by the user name.
struct LoggedFriend
{
    QString userName;
    QString displayName;
    friend bool operator==(const LoggedFriend &, const LoggedFriend &) = default;
};

// One scan attempt as the presence log records it.
struct ScanRecord
{
    QDateTime start;
    QDateTime end;
    // The steady clock (Clock::steadyMs) at the end: tells sleep and clock changes from time.
    qint64 steadyMsAtEnd = 0;
    ScanRoute route = ScanRoute::Direct;
    ScanOutcome outcome = ScanOutcome::Failed;
    int entryCount = 0;
    // The repeat interval in force; 0 while repetition is off.
    int intervalMinutes = 0;
    // Every friend online in this scan; read scans only.
    QList<LoggedFriend> online;
};

} // namespace amiscan
