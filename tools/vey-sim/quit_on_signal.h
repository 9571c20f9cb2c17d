#pragma once

namespace amiscan::sim {

// Makes SIGINT and SIGTERM end the application's event loop, so the server closes cleanly.
// Call once, after the QCoreApplication exists.
void quitOnTerminationSignals();

} // namespace amiscan::sim
