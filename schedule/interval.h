#pragma once

#include <QString>

namespace amiscan {

// The repeat interval as the interval box accepts it: a text that is not a number becomes
// "15", a number of 0 or less becomes "1", any other text is kept as typed (fractions too).
QString validatedInterval(const QString &text);

} // namespace amiscan
