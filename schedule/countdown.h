#pragma once

#include <QString>

namespace amiscan {

// The repeat count-down is kept as plain decimal text ("15", "2.5", "-1"), always with a dot,
// so that what is written can be read back the same way.
double minutesValue(const QString &minutes, bool *ok = nullptr);
QString minutesText(double minutes);
// One tick of the count-down: 15 gives 14, 2.5 gives 1.5, 0.5 gives -0.5.
QString minutesAfterTick(const QString &minutes);

} // namespace amiscan
