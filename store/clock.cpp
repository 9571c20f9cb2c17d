#include "store/clock.h"

namespace amiscan {

namespace {

QDateTime &setTime()
{
    static QDateTime time;
    return time;
}

} // namespace

QDateTime Clock::now()
{
    const QDateTime &time = setTime();
    return time.isValid() ? time : QDateTime::currentDateTime();
}

void Clock::set(const QDateTime &time)
{
    setTime() = time;
}

} // namespace amiscan
