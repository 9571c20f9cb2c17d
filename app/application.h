#pragma once

namespace amiscan {

// Runs the program: refuses a second copy for the same data directory, then shows the main
// window until it closes. Returns the process's exit code.
int runApplication(int argc, char **argv);

} // namespace amiscan
