#pragma once

#include <QString>

namespace amiscan {

class Form1;

// The notification-area option's square and label, the icon's tooltip following LabInfo, and
// the window hiding when minimised.
void connectTrayControls(Form1 &form);

// The icon's tooltip for a caption: at most 63 characters, never half of one.
QString trayToolTip(const QString &caption);

} // namespace amiscan
