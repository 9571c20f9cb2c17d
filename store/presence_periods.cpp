#include "store/presence_periods.h"

#include "store/scan_status.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

namespace amiscan {

namespace {

struct Code
{
    Unobserved unobserved;
    const char16_t *text;
};
constexpr Code Codes[] = {
    {Unobserved::Start, u"start"},
    {Unobserved::Gap, u"gap"},
    {Unobserved::NotRunning, u"off"},
    {Unobserved::Asleep, u"sleep"},
    {Unobserved::ClockSetBack, u"back"},
    {Unobserved::Lost, u"lost"},
    {Unobserved::LoggedOut, u"logged-out"},
    {Unobserved::NotUnderstood, u"not-understood"},
    {Unobserved::ServiceError, u"service-error"},
    {Unobserved::NetworkDown, u"no-network"},
    {Unobserved::CertificateRefused, u"certificate"},
    {Unobserved::NoAnswer, u"no-answer"},
};

qint64 msBetween(const QDateTime &from, const QDateTime &to)
{
    return to.toMSecsSinceEpoch() - from.toMSecsSinceEpoch();
}

} // namespace

QString unobservedCode(Unobserved unobserved)
{
    for (const Code &code : Codes) {
        if (code.unobserved == unobserved)
            return QString::fromUtf16(code.text);
    }
    return {};
}

Unobserved unobservedFromCode(QStringView code)
{
    if (code.isEmpty())
        return Unobserved::None;
    for (const Code &known : Codes) {
        if (code == QStringView(known.text))
            return known.unobserved;
    }
    // A code of a newer version: whatever it is, the stretch was not observed.
    return Unobserved::Gap;
}

QString unobservedWords(Unobserved unobserved)
{
    switch (unobserved) {
    case Unobserved::None:
        return {};
    case Unobserved::Start:
        return QStringLiteral("before the first scan of the log");
    case Unobserved::Gap:
        return QStringLiteral("no scan");
    case Unobserved::NotRunning:
        return QStringLiteral("Amiscan not running");
    case Unobserved::Asleep:
        return QStringLiteral("the computer asleep, or its clock set forward");
    case Unobserved::ClockSetBack:
        return QStringLiteral("the clock set back");
    case Unobserved::Lost:
        return QStringLiteral("the log could not be written");
    case Unobserved::LoggedOut:
        return QStringLiteral("logged out");
    case Unobserved::NotUnderstood:
        return QStringLiteral("page not understood");
    case Unobserved::ServiceError:
        return QStringLiteral("service error");
    case Unobserved::NetworkDown:
        return QStringLiteral("network unavailable");
    case Unobserved::CertificateRefused:
        return QStringLiteral("certificate refused");
    case Unobserved::NoAnswer:
        return QStringLiteral("no answer");
    }
    return {};
}

Unobserved unobservedFor(ScanOutcome failure)
{
    if (isPageNotUnderstood(failure))
        return Unobserved::NotUnderstood;
    switch (failure) {
    case ScanOutcome::LoggedOut:
        return Unobserved::LoggedOut;
    case ScanOutcome::ServiceError:
        return Unobserved::ServiceError;
    case ScanOutcome::NetworkDown:
        return Unobserved::NetworkDown;
    case ScanOutcome::CertificateRefused:
        return Unobserved::CertificateRefused;
    case ScanOutcome::NoAnswer:
        return Unobserved::NoAnswer;
    default:
        return Unobserved::Gap;
    }
}

Unobserved stretchBefore(const ScanClock &previous, const ScanClock &scan, ScanOutcome failedSince)
{
    const qint64 steady = scan.steadyMsAtEnd - previous.steadyMsAtEnd;
    if (previous.runId != scan.runId || steady < 0)
        return Unobserved::NotRunning;
    const qint64 wall = msBetween(previous.end, scan.end);
    if (wall < 0 || wall < steady - ClockMarginMs)
        return Unobserved::ClockSetBack;
    if (wall > steady + ClockMarginMs)
        return Unobserved::Asleep;
    const qint64 intervalMs =
        qint64(std::max(previous.intervalMinutes, scan.intervalMinutes)) * 60000;
    const qint64 scanMs = std::max<qint64>(msBetween(scan.start, scan.end), 0);
    if (intervalMs <= 0 || steady - scanMs > intervalMs * 3 / 2)
        return unobservedFor(failedSince);
    return Unobserved::None;
}

QList<Period> friendPeriods(const QList<PresenceChange> &changes, const QList<ScanMark> &breaks,
                            const ScanMark &latest)
{
    QList<Period> periods;
    Period current;
    bool online = false;
    qsizetype c = 0, b = 0;
    while (c < changes.size() || b < breaks.size()) {
        // One step per scan: a change and a break of the same scan go together.
        const qint64 id = std::min(c < changes.size() ? changes[c].scan.id : latest.id + 1,
                                   b < breaks.size() ? breaks[b].id : latest.id + 1);
        const bool broken = b < breaks.size() && breaks[b].id == id;
        const bool changed = c < changes.size() && changes[c].scan.id == id;
        const ScanMark &scan = broken ? breaks[b] : changes[c].scan;
        const bool nowOnline = changed ? changes[c].online : online;
        b += broken;
        c += changed;
        if (online && (broken || !nowOnline)) {
            current.innerEnd = scan.previousTime.isValid() ? scan.previousTime : current.innerStart;
            current.endSeen = !broken;
            if (!broken)
                current.outerEnd = scan.time;
            current.endUnseen = broken ? scan.before : Unobserved::None;
            periods << current;
        }
        if (nowOnline && (broken || !online)) {
            current = Period{};
            current.innerStart = scan.time;
            current.startSeen = !broken && scan.previousTime.isValid();
            if (current.startSeen)
                current.outerStart = scan.previousTime;
            else
                current.startUnseen = broken ? scan.before : Unobserved::Start;
        }
        online = nowOnline;
    }
    if (online) {
        current.innerEnd = latest.time;
        periods << current;
    }
    return periods;
}

const QString &nameAt(const QList<std::pair<QDateTime, QString>> &names, const QDateTime &time)
{
    static const QString none;
    if (names.isEmpty())
        return none;
    // The latest name taken at or before the time; before the first, the first.
    const auto after =
        std::upper_bound(names.begin(), names.end(), time,
                         [](const QDateTime &t, const std::pair<QDateTime, QString> &name) {
                             return t < name.first;
                         });
    return after == names.begin() ? names.constFirst().second : std::prev(after)->second;
}

QList<Period> derivePeriods(const QList<RunScan> &scans, const QDateTime &now)
{
    struct Friend
    {
        QList<PresenceChange> changes;
        QList<std::pair<QDateTime, QString>> names; // each display name from the scan it came
    };
    std::map<QString, Friend> friends;
    QList<ScanMark> breaks;
    QSet<QString> online;
    const RunScan *previous = nullptr;
    // The latest scan that failed since the previous read scan, aborted ones aside.
    ScanOutcome failedSince = ScanOutcome::Failed;
    ScanMark latest;
    const auto clock = [](const RunScan &scan) {
        return ScanClock{scan.record.start, scan.record.end, scan.record.steadyMsAtEnd, scan.runId,
                         scan.record.intervalMinutes};
    };
    for (qsizetype i = 0; i < scans.size(); ++i) {
        const ScanRecord &record = scans[i].record;
        if (record.outcome != ScanOutcome::Read) {
            if (record.outcome != ScanOutcome::Aborted)
                failedSince = record.outcome;
            continue;
        }
        const ScanMark mark{i, record.end, previous ? previous->record.end : QDateTime(),
                            previous ? stretchBefore(clock(*previous), clock(scans[i]), failedSince)
                                     : Unobserved::Start};
        failedSince = ScanOutcome::Failed;
        if (mark.before != Unobserved::None)
            breaks << mark;
        QSet<QString> now;
        for (const LoggedFriend &f : record.online) {
            now.insert(f.userName);
            Friend &known = friends[f.userName];
            if (!online.contains(f.userName))
                known.changes << PresenceChange{mark, true};
            if (known.names.isEmpty() || known.names.constLast().second != f.displayName)
                known.names.append({record.end, f.displayName});
        }
        for (const QString &name : std::as_const(online)) {
            if (!now.contains(name))
                friends[name].changes << PresenceChange{mark, false};
        }
        online = now;
        previous = &scans[i];
        latest = mark;
    }
    // The stretch since the latest read scan: its failures, and whether another run came.
    Unobserved openEnd = Unobserved::None;
    if (now.isValid() && previous) {
        std::optional<LoggedScan> latestRead;
        QList<LoggedScan> after;
        bool runEnded = false;
        for (const RunScan &scan : scans) {
            const ScanRecord &r = scan.record;
            const LoggedScan logged{r.start,      r.end,    r.route,          r.outcome,
                                    r.entryCount, r.detail, r.intervalMinutes};
            if (r.outcome == ScanOutcome::Read) {
                latestRead = logged;
                after.clear();
            } else {
                after << logged;
            }
            // A scan of a later run than the latest read scan's.
            runEnded = r.outcome != ScanOutcome::Read && scan.runId != previous->runId;
        }
        openEnd = currentStretch(latestRead, after, runEnded, now).cause;
    }
    QList<Period> periods;
    for (const auto &[userName, known] : friends) {
        for (Period period : friendPeriods(known.changes, breaks, latest)) {
            period.userName = userName;
            period.displayName = nameAt(known.names, period.innerStart);
            if (!period.endSeen && period.endUnseen == Unobserved::None)
                period.endUnseen = openEnd;
            periods << period;
        }
    }
    return periods;
}

} // namespace amiscan
