#pragma once

#include <functional>

class QUrl;

namespace amiscan {

// Opens a web address in the user's browser. The program never checks the outcome.
void openWebAddress(const QUrl &address);

// Replaces the way addresses are opened, so that tests record them instead of starting a browser.
// Returns the opener in force before; an empty opener restores the system's.
using WebAddressOpener = std::function<void(const QUrl &)>;
WebAddressOpener setWebAddressOpener(WebAddressOpener opener);

} // namespace amiscan
