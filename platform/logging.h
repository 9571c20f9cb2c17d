#pragma once

#include <QLoggingCategory>

namespace amiscan {

// Why a scan failed ("amiscan.scan": the direct read, the pages the scan found) and what went
// wrong with the browser helper ("amiscan.browser"). Silent unless asked for: --verbose, or
// QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(scanLog)
Q_DECLARE_LOGGING_CATEGORY(browserLog)
// Why the desktop's keyring did not answer ("amiscan.keyring").
Q_DECLARE_LOGGING_CATEGORY(keyringLog)

// Verbose: the program's categories are on, each line stamped with the time, the program and
// the category, and the toolkit's own notes are left on. Otherwise standard error gets only what
// ends the program, besides the program's own messages. The browser helper, started later,
// inherits the choice through its environment. Before the application object exists.
void setVerbosity(bool verbose);

// The program that started this helper was asked to be verbose.
bool verbosityInherited();

} // namespace amiscan
