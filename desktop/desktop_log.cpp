#include "desktop/desktop_log.h"

namespace amiscan {

// Only what cannot go on is on by default, and nothing here logs at that level.
Q_LOGGING_CATEGORY(desktopLog, "amiscan.desktop", QtCriticalMsg)

} // namespace amiscan
