#include "model/weekly_pattern.h"

#include <QStringList>
#include <QTimeZone>

#include <algorithm>

namespace amiscan {

namespace {

constexpr qint64 MsPerHour = 3600 * 1000;
// An hour counts for the summary once it was observed this long, over all the weeks.
constexpr qint64 EvidenceMs = 30 * 60 * 1000;
// Less observed time than this makes no summary.
constexpr qint64 SummaryMinimumMs = 5 * MsPerHour;
// Usual: online at least half of the observed time.
constexpr double UsualShare = 0.5;

constexpr qint64 MsPerDay = 24 * MsPerHour;

// Adds the time from a to b to the hours of the week it falls in, in the zone's local time. The
// zone's offsets are looked up in its own table: the C library's local time would read the
// system's zone file again at every call.
template <typename Add> void spreadOverHours(const QTimeZone &zone, qint64 a, qint64 b, Add add)
{
    while (a < b) {
        const qint64 local =
            a + qint64(zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(a, Qt::UTC))) * 1000;
        const qint64 day = local >= 0 ? local / MsPerDay : (local - MsPerDay + 1) / MsPerDay;
        const qint64 intoDay = local - day * MsPerDay;
        const qint64 next = std::min(b, a - intoDay % MsPerHour + MsPerHour);
        // 1 January 1970 was a Thursday: Monday is 0.
        const int weekday = int(((day + 3) % 7 + 7) % 7);
        add(weekday * WeeklyPattern::Hours + int(intoDay / MsPerHour), next - a);
        a = next;
    }
}

qint64 ms(const QDateTime &time)
{
    return time.toMSecsSinceEpoch();
}

// Half way between the scan that saw the change and the one before (or after) it, where known.
std::pair<qint64, qint64> likelyOnline(const Period &p)
{
    const qint64 start =
        p.outerStart.isValid() ? (ms(p.outerStart) + ms(p.innerStart)) / 2 : ms(p.innerStart);
    const qint64 end =
        p.outerEnd.isValid() ? (ms(p.innerEnd) + ms(p.outerEnd)) / 2 : ms(p.innerEnd);
    return {start, std::max(start, end)};
}

// The hours of a day that a group of days usually spends online: those observed on at least
// half of its days, and usual on most of the days they were observed.
QList<int> usualHours(const WeeklyPattern &pattern, int firstDay, int lastDay)
{
    QList<int> hours;
    const int days = lastDay - firstDay + 1;
    for (int hour = 0; hour < WeeklyPattern::Hours; ++hour) {
        int evidenced = 0, usual = 0;
        for (int day = firstDay; day <= lastDay; ++day) {
            const PatternCell &cell = pattern.cell(day, hour);
            if (cell.observedMs < EvidenceMs)
                continue;
            ++evidenced;
            usual += cell.share() >= UsualShare;
        }
        if (evidenced * 2 >= days && usual * 2 > evidenced)
            hours << hour;
    }
    return hours;
}

// "19–23" for the hours 19 to 22, "22–1" over midnight, runs joined with "and".
QString hoursText(const QList<int> &hours)
{
    if (hours.size() == WeeklyPattern::Hours)
        return QStringLiteral("all day");
    // Runs start after an hour that is not usual, so that one over midnight stays whole.
    QStringList runs;
    for (int i = 0; i < WeeklyPattern::Hours; ++i) {
        if (!hours.contains(i) || hours.contains((i + 23) % 24))
            continue;
        int end = i;
        while (hours.contains((end + 1) % 24))
            end = (end + 1) % 24;
        runs << QStringLiteral("%1\u2013%2").arg(i).arg((end + 1) % 24);
    }
    if (runs.size() < 2)
        return runs.join(QString());
    const QString last = runs.takeLast();
    return runs.join(QLatin1StringView(", ")) + QLatin1StringView(" and ") + last;
}

} // namespace

WeeklyPattern weeklyPattern(const QList<Period> &periods,
                            const QList<std::pair<qint64, qint64>> &observed, qint64 from,
                            qint64 to)
{
    WeeklyPattern pattern;
    pattern.firstDay = QDateTime::fromMSecsSinceEpoch(from).date();
    pattern.lastDay = QDateTime::fromMSecsSinceEpoch(to - 1).date();
    QList<std::pair<qint64, qint64>> seen;
    for (const auto &[a, b] : observed) {
        if (std::min(b, to) > std::max(a, from))
            seen.append({std::max(a, from), std::min(b, to)});
    }
    const QTimeZone zone = QTimeZone::systemTimeZone();
    for (const auto &[a, b] : std::as_const(seen)) {
        pattern.observedMs += b - a;
        spreadOverHours(zone, a, b,
                        [&](int cell, qint64 time) { pattern.cells[cell].observedMs += time; });
    }
    // Online time counts only where it was observed.
    for (const Period &p : periods) {
        if (p.imported)
            continue;
        const auto [start, end] = likelyOnline(p);
        for (const auto &[a, b] : std::as_const(seen)) {
            const qint64 overlapFrom = std::max(a, start), overlapTo = std::min(b, end);
            spreadOverHours(zone, overlapFrom, overlapTo,
                            [&](int cell, qint64 time) { pattern.cells[cell].onlineMs += time; });
        }
    }
    return pattern;
}

QString patternSummary(const WeeklyPattern &pattern)
{
    if (pattern.observedMs < SummaryMinimumMs)
        return QStringLiteral("too little observed for a pattern yet");
    const QList<int> weekdays = usualHours(pattern, 0, 4);
    const QList<int> weekend = usualHours(pattern, 5, 6);
    if (weekdays.isEmpty() && weekend.isEmpty())
        return QStringLiteral("not usually online at any hour");
    if (weekdays == weekend)
        return QStringLiteral("usually online every day %1").arg(hoursText(weekdays));
    QStringList parts;
    if (!weekdays.isEmpty())
        parts << QStringLiteral("on weekdays %1").arg(hoursText(weekdays));
    if (!weekend.isEmpty())
        parts << QStringLiteral("at weekends %1").arg(hoursText(weekend));
    return QStringLiteral("usually online ") + parts.join(QLatin1StringView(" and "));
}

QString patternBasis(const WeeklyPattern &pattern)
{
    const QString days = QStringLiteral("from %1 to %2")
                             .arg(pattern.firstDay.toString(QStringLiteral("dd/MM/yy")),
                                  pattern.lastDay.toString(QStringLiteral("dd/MM/yy")));
    const qint64 minutes = pattern.observedMs / 60000;
    if (minutes == 0)
        return QStringLiteral("nothing observed %1").arg(days);
    if (minutes < 60)
        return QStringLiteral("based on %1 minutes observed %2").arg(minutes).arg(days);
    return QStringLiteral("based on %1 hours observed %2").arg((minutes + 30) / 60).arg(days);
}

} // namespace amiscan
