#include "store/files_log.h"

namespace amiscan {

// Only what cannot go on is on by default, and nothing here logs at that level.
Q_LOGGING_CATEGORY(filesLog, "amiscan.files", QtCriticalMsg)

} // namespace amiscan
