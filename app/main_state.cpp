#include "app/main_state.h"

namespace amiscan {

QString makeVersionText(int major, int minor, int revision)
{
    return QStringLiteral("v%1.%2%3 - 14/10/12").arg(major).arg(minor).arg(revision);
}

QString programVersionText()
{
    return makeVersionText(AMISCAN_VERSION_MAJOR, AMISCAN_VERSION_MINOR, AMISCAN_VERSION_PATCH);
}

} // namespace amiscan
