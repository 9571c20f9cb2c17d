#pragma once

#include <QDateTime>

namespace amiscan {

// The one clock the program takes the time from: the scan's stamp, the merge's sessions and the
// names of files kept aside. Tests set it to the time they need.
class Clock final
{
public:
    static QDateTime now();
    // The clock stands at the given time from now on; an invalid time returns it to the system's.
    static void set(const QDateTime &time);
};

} // namespace amiscan
