#include "store/memory_release.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace amiscan {

void releaseFreedMemory()
{
#if defined(__GLIBC__)
    // Every heap, the other threads' included, and the free pages inside them, not only the top.
    malloc_trim(0);
#endif
}

} // namespace amiscan
