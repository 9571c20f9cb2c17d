#pragma once

namespace amiscan {

// Keeps the process's memory, which holds the password in plain text, out of core dumps and
// out of reach of other processes of the same user (debuggers, /proc/<pid>/mem). Called once a
// password is held; it stays so for the rest of the run.
void keepMemoryPrivate();

} // namespace amiscan
