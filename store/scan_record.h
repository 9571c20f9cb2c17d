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

// How a scan ended, with its cause. Kept in the presence log as a short text code that never
// changes, so that later causes can be added without touching the logs already written.
enum class ScanOutcome
{
    Read,           // the friends page was read and merged (no entries: nobody online)
    Failed,         // a failure without a cause of its own (logs of earlier versions)
    LoggedOut,      // the login form came back after the login was sent
    NotFriendsPage, // page not understood: neither the friends page nor the login form
    NoUserNames,    // page not understood: entries were read, none with a user name
    CountDisagrees, // page not understood: its own count of friends online (detail) is not the
                    // number of entries read
    Unmarked,       // page not understood: no entries and no count of its own (merged anyway)
    ServiceError,   // the service answered with an error (detail: the HTTP status)
    NetworkDown,    // the computer had no network
    CertificateRefused,
    NoAnswer, // no page within the ten waiting ticks
    Aborted,  // by the user
};

QString routeCode(ScanRoute route);
QString outcomeCode(ScanOutcome outcome);
// A code this version does not know reads as a failure: a newer version's cause is one.
ScanOutcome outcomeFromCode(QStringView code);
// The outcome in plain words, with its details: "service error: HTTP status 503".
QString outcomeWords(ScanOutcome outcome, int detail, int entryCount);
bool isPageNotUnderstood(ScanOutcome outcome);

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
    // The HTTP status of a service error, the page's own count when it disagrees; else 0.
    int detail = 0;
};

} // namespace amiscan
