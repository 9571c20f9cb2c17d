#include "store/memory_release.h"

// Defines __GLIBC__ with the C library's other names.
#include <cstdlib>

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

void reuseFreedMemoryWhileStarting()
{
#if defined(__GLIBC__)
    // The largest limit the allocator takes; no start-up block comes near it.
    constexpr int Limit = 32 * 1024 * 1024;
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, Limit);
    mallopt(M_TRIM_THRESHOLD, 2 * Limit);
#endif
}

void releaseLargeBlocksWhenFreed()
{
#if defined(__GLIBC__)
    constexpr int Limit = 128 * 1024;
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, Limit);
    mallopt(M_TRIM_THRESHOLD, Limit);
#endif
}

} // namespace amiscan
