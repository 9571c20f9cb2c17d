#include "platform/address_policy.h"

#include <QHostAddress>

namespace amiscan {

namespace {

const QLatin1StringView Https("https");
const QLatin1StringView Http("http");

} // namespace

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
    if (scheme == Https)
        return true;
    return scheme == Http && isLoopbackHost(url.host());
}

namespace {

// The service's scheme, and its host or, over HTTPS, a host of its domain; any port.
bool isServiceSite(const QUrl &page, const QUrl &service)
{
    if (!isAllowedServiceAddress(page) || !isAllowedServiceAddress(service))
        return false;
    const QString scheme = page.scheme().toLower();
    if (scheme != service.scheme().toLower())
        return false;
    // QUrl keeps host names in lower case.
    const QString host = page.host();
    const QString serviceHost = service.host();
    if (scheme == Http || !QHostAddress(serviceHost).isNull())
        return host == serviceHost; // an address has no domain
    // "www." names a host of the domain after it, unless that is a bare top-level name.
    QString domain = serviceHost;
    if (domain.startsWith(QLatin1StringView("www.")) && domain.indexOf(u'.', 4) > 4)
        domain.remove(0, 4);
    return host == serviceHost || host == domain || host.endsWith(u'.' + domain);
}

} // namespace

bool isServicePage(const QUrl &page, const QUrl &service)
{
    if (!isServiceSite(page, service))
        return false;
    return page.scheme().toLower() != Http || page.port(80) == service.port(80);
}

bool isServiceRequest(const QUrl &request, const QUrl &service)
{
    // A socket goes where a page of its plain or secure form may go.
    QUrl asPage = request;
    const QString scheme = request.scheme().toLower();
    if (scheme == QLatin1StringView("ws"))
        asPage.setScheme(Http);
    else if (scheme == QLatin1StringView("wss"))
        asPage.setScheme(Https);
    return isServiceSite(asPage, service);
}

} // namespace amiscan
