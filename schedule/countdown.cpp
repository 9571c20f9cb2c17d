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

QString minutesAfterTick(const QString &minutes)
{
    return minutesText(minutesValue(minutes) - 1.0);
}

} // namespace amiscan
