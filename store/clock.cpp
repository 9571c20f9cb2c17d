#include "store/clock.h"

#include "store/time_text.h"

#include <chrono>

namespace amiscan {

namespace {

// The wall clock may move this much otherwise than the steady one without having been set:
// slewing, and the moments between the readings of the two.
constexpr qint64 StepToleranceMs = 2 * 60 * 1000;

struct SetTime
{
    QDateTime wall;
    // The steady clock less the set wall clock, while the wall clock is set.
    qint64 steadyOffsetMs = 0;
};

SetTime &setTime()
{
    static SetTime time;
    return time;
}

qint64 systemSteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The wall clock as the stamps read it, in milliseconds: summer time shows as a step.
qint64 wallMs(const QDateTime &time)
{
    return wallSeconds(time) * 1000 + time.time().msec();
}

} // namespace

QDateTime Clock::now()
{
    const QDateTime &time = setTime().wall;
    return time.isValid() ? time : QDateTime::currentDateTime();
}

qint64 Clock::steadyMs()
{
    const SetTime &time = setTime();
    return time.wall.isValid() ? time.wall.toMSecsSinceEpoch() + time.steadyOffsetMs
                               : systemSteadyMs();
}

void Clock::set(const QDateTime &time)
{
    SetTime &set = setTime();
    if (!set.wall.isValid() && time.isValid())
        set.steadyOffsetMs = systemSteadyMs() - QDateTime::currentMSecsSinceEpoch();
    set.wall = time;
}

void Clock::step(const QDateTime &time)
{
    const qint64 steady = steadyMs();
    SetTime &set = setTime();
    set.wall = time;
    set.steadyOffsetMs = steady - time.toMSecsSinceEpoch();
}

QDateTime ClockStepWatch::stepSince(const QDateTime &now, qint64 steadyMs)
{
    QDateTime stepped;
    if (m_last.isValid() &&
        qAbs((wallMs(now) - wallMs(m_last)) - (steadyMs - m_lastSteady)) > StepToleranceMs)
        stepped = m_last;
    m_last = now;
    m_lastSteady = steadyMs;
    return stepped;
}

} // namespace amiscan
