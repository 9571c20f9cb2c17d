#pragma once

#include <QUrl>

namespace amiscan {

// The login and the friends page travel only over HTTPS, where the certificate is checked.
// Plain HTTP is allowed to this machine's own loopback addresses, where the local stand-in
// for the service runs; any other plain-HTTP address is never contacted.
bool isLoopbackHost(const QString &host);
bool isAllowedServiceAddress(const QUrl &url);

} // namespace amiscan
