#pragma once

#include <QLoggingCategory>

namespace amiscan {

// Why a file of the program could not be read or saved ("amiscan.files"). Silent unless asked
// for: --verbose, or QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(filesLog)

} // namespace amiscan
