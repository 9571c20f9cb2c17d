#pragma once

#include <QUrl>

namespace amiscan {

// The login and the friends page travel only over HTTPS, where the certificate is checked.
// Plain HTTP is allowed to this machine's own loopback addresses, where the local stand-in
// for the service runs; any other plain-HTTP address is never contacted.
bool isLoopbackHost(const QString &host);
bool isAllowedServiceAddress(const QUrl &url);

// Whether a page at `page` belongs to the service at `service` (its friends page address), so
// that the login may be typed into it. Over HTTPS: the service's host or a host within its
// domain (the host without a leading "www."). Over plain HTTP on loopback: the same host and
// port only. Everything else is somebody else's page, whatever it contains.
bool isServicePage(const QUrl &page, const QUrl &service);

// Whether the browser, sent to the service at `service`, may load `request` for a page or any of
// its parts: over HTTP, HTTPS or their socket forms, the service's own host, or over HTTPS a host
// of its domain, in the service's own scheme and on any port. A loopback address is therefore
// reached only when the service itself is there. Other schemes are for the caller to judge.
bool isServiceRequest(const QUrl &request, const QUrl &service);

} // namespace amiscan
