#pragma once

#include <QString>

namespace amiscan {

// The repeat count-down's minutes as the interval box writes them ("15", "2.5"), always with a
// dot, and as the status row shows them.
double minutesValue(const QString &minutes, bool *ok = nullptr);
QString minutesText(double minutes);
// One tick of the count-down: 15 gives 14, 2.5 gives 1.5, 0.5 gives -0.5; never with the binary
// noise of repeated subtraction (0.3 - 1 gives -0.7), so a count reaches 0 exactly.
double minutesAfterTick(double minutes);

} // namespace amiscan
