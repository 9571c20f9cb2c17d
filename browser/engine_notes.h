#pragma once

namespace amiscan {

// The browser engine writes some twenty lines of notes at every start (its set-up, its graphics,
// the network's errors), in this helper and in the processes it starts. They reach standard
// error only when the program that started the helper was asked to be verbose; the helper's own
// reasons ("amiscan.browser") then come too. Before the application object exists.
void setEngineVerbosity();

} // namespace amiscan
