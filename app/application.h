#pragma once

#include "app/command_line.h"

namespace amiscan {

// Runs the program: settles its data directory (from --data-dir, or the rule of the files),
// refuses a second copy for the same data directory, bringing the first one's window back, then
// shows the main window until it closes. Returns the process's exit code.
int runApplication(int argc, char **argv, const CommandLine &commandLine);

} // namespace amiscan
