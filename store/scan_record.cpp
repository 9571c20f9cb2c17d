#include "store/scan_record.h"

namespace amiscan {

QString routeCode(ScanRoute route)
{
    return route == ScanRoute::Browser ? QStringLiteral("browser") : QStringLiteral("direct");
}

QString outcomeCode(ScanOutcome outcome)
{
    switch (outcome) {
    case ScanOutcome::Read:
        return QStringLiteral("read");
    case ScanOutcome::Failed:
        break;
    }
    return QStringLiteral("failed");
}

ScanOutcome outcomeFromCode(QStringView code)
{
    return code == u"read" ? ScanOutcome::Read : ScanOutcome::Failed;
}

} // namespace amiscan
