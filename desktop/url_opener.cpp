#include "desktop/url_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace amiscan {

namespace {

void openWithSystem(const QUrl &address)
{
    // A failure (no browser, malformed address) is ignored: the link is a courtesy.
    QDesktopServices::openUrl(address);
}

WebAddressOpener &currentOpener()
{
    static WebAddressOpener opener = openWithSystem;
    return opener;
}

} // namespace

void openWebAddress(const QUrl &address)
{
    currentOpener()(address);
}

WebAddressOpener setWebAddressOpener(WebAddressOpener opener)
{
    WebAddressOpener previous = std::move(currentOpener());
    currentOpener() = opener ? std::move(opener) : WebAddressOpener(openWithSystem);
    return previous;
}

} // namespace amiscan
