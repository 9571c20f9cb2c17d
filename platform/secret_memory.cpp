#include "platform/secret_memory.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace amiscan {

void keepMemoryPrivate()
{
    // No core file at all, even should the process become dumpable again.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace amiscan
