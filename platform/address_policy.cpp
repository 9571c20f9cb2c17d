#include "platform/address_policy.h"

#include <QHostAddress>

namespace amiscan {

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool isAllowedServiceAddress(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1StringView("https"))
        return true;
    return scheme == QLatin1StringView("http") && isLoopbackHost(url.host());
}

} // namespace amiscan
