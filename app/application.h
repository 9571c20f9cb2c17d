#pragma once

#include <QString>

namespace amiscan {

// Runs the program: settles its data directory (`requestedDataDir` from --data-dir, or empty),
// refuses a second copy for the same data directory, then shows the main window until it
// closes. Returns the process's exit code.
int runApplication(int argc, char **argv, const QString &requestedDataDir);

} // namespace amiscan
