#pragma once

#include "store/scan_record.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringView>

#include <utility>

namespace amiscan {

// Why the stretch between a read scan and the read scan before it was not observed. No online
// period is extended across such a stretch.
enum class Unobserved
{
    None,         // observed: the friends online at both ends were online between them
    Start,        // no read scan before it in the log
    Gap,          // longer than 1.5 times the repeat interval, or no interval in force
    NotRunning,   // the program ended between them
    Asleep,       // the wall clock ran ahead of the steady one: asleep, or the clock set forward
    ClockSetBack, // the wall clock went back
    Lost,         // the log could not be written meanwhile (a full disk, a lock)
    // A gap in which scans failed, named by the cause of the latest failure.
    LoggedOut,
    NotUnderstood,
    ServiceError,
    NetworkDown,
    CertificateRefused,
    NoAnswer,
};

// Short codes that never change, as the log keeps them; an empty code is None.
QString unobservedCode(Unobserved unobserved);
Unobserved unobservedFromCode(QStringView code);
// The cause in plain words: "Amiscan not running".
QString unobservedWords(Unobserved unobserved);
// The cause a failed scan gives the gap it falls in; Gap for a failure without a cause.
Unobserved unobservedFor(ScanOutcome failure);

// The wall clock may drift from the steady one by this much between two scans without having
// jumped: slewing, and the moments between reading the two clocks.
inline constexpr qint64 ClockMarginMs = 30 * 1000;

// The clocks of a read scan.
struct ScanClock
{
    QDateTime start;
    QDateTime end;
    qint64 steadyMsAtEnd = 0;
    qint64 runId = 0;
    int intervalMinutes = 0;
};

// Whether the stretch from the previous read scan to this one was observed. The stretch runs from
// the previous scan's end to this one's start, on the steady clock; the interval is the longer of
// the two in force, as a change of interval between them set when this scan came. A gap in which
// scans failed is named by the latest failure (none: Failed).
Unobserved stretchBefore(const ScanClock &previous, const ScanClock &scan,
                         ScanOutcome failedSince = ScanOutcome::Failed);

// A read scan as the periods need it: its end, the end of the read scan before it, and whether
// the stretch between them was observed.
struct ScanMark
{
    qint64 id = 0;
    QDateTime time;
    QDateTime previousTime; // invalid when there is none
    Unobserved before = Unobserved::None;
};

// A friend came online (was not online at the previous read scan) or went offline.
struct PresenceChange
{
    ScanMark scan;
    bool online = false;
};

// An online period, with both bounds: the friend was online at least from innerStart to innerEnd
// (the first and last scans that saw them) and at most from outerStart to outerEnd (the scans
// before and after those). An outer bound beyond an unobserved stretch is not known: it is
// invalid, and the start or end is marked unseen, with the stretch's cause. Imported periods come
// from the history file, whose bounds are not known either. A period still open at the latest
// read scan has an unseen end, caused by the stretch since when there is one.
struct Period
{
    QString userName;
    QString displayName;
    QDateTime innerStart;
    QDateTime innerEnd;
    QDateTime outerStart;
    QDateTime outerEnd;
    bool startSeen = false;
    bool endSeen = false;
    bool imported = false;
    Unobserved startUnseen = Unobserved::None;
    Unobserved endUnseen = Unobserved::None;
    friend bool operator==(const Period &, const Period &) = default;
};

// One friend's periods, in order, from their changes and the scans after unobserved stretches
// (each in scan order). A friend online at the latest read scan is online until it, end unseen.
QList<Period> friendPeriods(const QList<PresenceChange> &changes, const QList<ScanMark> &breaks,
                            const ScanMark &latest);

// The display name a friend had at the time: the latest of their names (each with the time it was
// first seen, in order) taken at or before it; before the first, the first.
const QString &nameAt(const QList<std::pair<QDateTime, QString>> &names, const QDateTime &time);

// A scan attempt of a run, as the log is given it.
struct RunScan
{
    qint64 runId = 0;
    ScanRecord record;
};

// The periods of every friend from the scans as recorded, in order of user name then start:
// the whole rule the log applies, with the display name of each period's first scan. Given the
// time now, a period still open ends unseen for the cause of the stretch since the latest read
// scan, if that is not observed (currentStretch).
QList<Period> derivePeriods(const QList<RunScan> &scans, const QDateTime &now = {});

} // namespace amiscan
