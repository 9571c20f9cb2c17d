#pragma once

namespace amiscan {

// Gives the memory that freed blocks leave in the allocator's heaps back to the system. The
// table's large transient buffers (the history file read or formatted, a scan's copies) leave
// pages that the allocator would otherwise keep resident for the rest of the run. Takes a few
// milliseconds; does nothing where the allocator offers no such call.
void releaseFreedMemory();

} // namespace amiscan
