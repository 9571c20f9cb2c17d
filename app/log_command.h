#pragma once

#include "app/command_line.h"

namespace amiscan {

// Runs --export, --forget or --status on the presence log of the data directory, without a
// window and without the single-copy lock: the program may be running meanwhile. Prints what went
// wrong to standard error. Returns the exit code: 0, or 1 when the log or the output cannot be
// used; for --status, 1 when the latest scan failed and 3 when the log cannot be read.
int runLogCommand(int argc, char **argv, const CommandLine &commandLine);

} // namespace amiscan
