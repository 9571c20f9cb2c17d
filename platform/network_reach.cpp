#include "platform/network_reach.h"

#include "platform/logging.h"

#include <QNetworkInformation>

namespace amiscan {

NetworkReach networkReach()
{
    static const bool loaded = [] {
        const bool ok =
            QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
        if (!ok)
            qCInfo(scanLog, "The system does not tell whether there is a network");
        return ok;
    }();
    const QNetworkInformation *information = QNetworkInformation::instance();
    if (!loaded || !information)
        return NetworkReach::Unknown;
    switch (information->reachability()) {
    case QNetworkInformation::Reachability::Disconnected:
    case QNetworkInformation::Reachability::Local:
        return NetworkReach::Offline;
    case QNetworkInformation::Reachability::Site:
    case QNetworkInformation::Reachability::Online:
        return NetworkReach::Online;
    case QNetworkInformation::Reachability::Unknown:
        break;
    }
    return NetworkReach::Unknown;
}

} // namespace amiscan
