#include "platform/logging.h"

namespace amiscan {

// Only what cannot go on is on by default, and nothing here logs at that level.
Q_LOGGING_CATEGORY(scanLog, "amiscan.scan", QtCriticalMsg)
Q_LOGGING_CATEGORY(browserLog, "amiscan.browser", QtCriticalMsg)
Q_LOGGING_CATEGORY(keyringLog, "amiscan.keyring", QtCriticalMsg)

namespace {

const char *const VerboseVariable = "AMISCAN_VERBOSE";

} // namespace

void setVerbosity(bool verbose)
{
    if (verbose) {
        QLoggingCategory::setFilterRules(QStringLiteral("amiscan.*=true"));
        qSetMessagePattern(QStringLiteral("%{time hh:mm:ss} %{appname} %{category}: %{message}"));
        qputenv(VerboseVariable, "1");
    } else {
        QLoggingCategory::setFilterRules(
            QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
        qunsetenv(VerboseVariable);
    }
}

bool verbosityInherited()
{
    return qEnvironmentVariableIntValue(VerboseVariable) == 1;
}

} // namespace amiscan
