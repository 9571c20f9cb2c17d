#pragma once

namespace amiscan {

// Whether this computer has a network, as far as the system tells.
enum class NetworkReach
{
    Unknown, // the system does not tell
    Offline, // no network, or only the local one
    Online,
};

// What Qt's network information says now. Its backend is loaded the first time, on the thread of
// the application object; without one the answer is Unknown.
NetworkReach networkReach();

} // namespace amiscan
