#include "schedule/countdown.h"

#include <QLocale>

namespace amiscan {

double minutesValue(const QString &minutes, bool *ok)
{
    bool parsed = false;
    const double value = QLocale::c().toDouble(minutes.trimmed(), &parsed);
    if (ok)
        *ok = parsed;
    return parsed ? value : 0.0;
}

QString minutesText(double minutes)
{
    // Fifteen significant digits drop the binary noise of repeated subtraction (0.3 - 1).
    return QString::number(minutes, 'g', 15);
}

double minutesAfterTick(double minutes)
{
    return minutesValue(minutesText(minutes - 1.0));
}

} // namespace amiscan
