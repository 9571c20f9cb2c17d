#include "browser/engine_notes.h"

#include "platform/logging.h"

#include <QByteArray>

namespace amiscan {

void setEngineVerbosity()
{
    const bool verbose = verbosityInherited();
    setVerbosity(verbose);
    if (verbose)
        return;
    // The engine's own processes read these from the environment they inherit: the toolkit's
    // rules, and the engine's log level (errors as well as notes).
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false;*.warning=false");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + QByteArrayLiteral(" --log-level=3"));
}

} // namespace amiscan
