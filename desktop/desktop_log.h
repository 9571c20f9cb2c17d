#pragma once

#include <QLoggingCategory>

namespace amiscan {

// What the desktop lacks: no notification area, no notification service, no way for a later
// start to reach the running copy ("amiscan.desktop"). Silent unless asked for: --verbose, or
// QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(desktopLog)

} // namespace amiscan
