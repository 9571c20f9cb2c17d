#pragma once

#include <QString>

namespace amiscan {

// A tooltip that shows its text literally. Qt takes a tooltip that looks like markup for rich
// text, so a name from the service such as "<b>x</b>" would otherwise be rendered; every tooltip
// that carries text from the service or from the user goes through here.
QString plainToolTip(const QString &text);

} // namespace amiscan
