#pragma once

#include <QDateTime>

namespace amiscan {

// The one clock the program takes the time from: the scan's stamp, the merge's sessions and the
// names of files kept aside. Tests set it to the time they need.
class Clock final
{
public:
    static QDateTime now();
    // Milliseconds from an arbitrary start on a clock that nobody sets: the time that really
    // passed between two readings, whatever the wall clock did meanwhile.
    static qint64 steadyMs();
    // The clock stands at the given time from now on, as if the time between had passed; an
    // invalid time returns it to the system's.
    static void set(const QDateTime &time);
    // The wall clock is set to the given time while no time passes, as when its user or the end
    // of summer time sets it.
    static void step(const QDateTime &time);
};

// Tells when the wall clock was set between two scans: it moved otherwise than the time that
// passed, by more than a moment.
class ClockStepWatch final
{
public:
    // The time of the previous call when the wall clock was set since, else an invalid time
    // (so at the first call). Remembers this call's time for the next.
    QDateTime stepSince(const QDateTime &now, qint64 steadyMs);

private:
    QDateTime m_last;
    qint64 m_lastSteady = 0;
};

} // namespace amiscan
