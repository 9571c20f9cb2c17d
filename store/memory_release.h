#pragma once

namespace amiscan {

// Gives the memory that freed blocks leave in the allocator's heaps back to the system. The
// table's large transient buffers (the history file read or formatted, a scan's copies) leave
// pages that the allocator would otherwise keep resident for the rest of the run. Takes a few
// milliseconds; does nothing where the allocator offers no such call.
void releaseFreedMemory();

// Every thread allocates from one heap, which releaseFreedMemory() can empty wholly (the
// allocator trims only the main heap's free end, never a thread's own heap). While the program
// starts, freed blocks of any size stay in that heap: start-up's large temporaries (the file
// read, the sorts, the lists) follow one another, and each reuses pages its predecessor touched
// instead of faulting fresh ones in. Called once, before anything is allocated.
void reuseFreedMemoryWhileStarting();

// From then on, blocks of 128 kB and more go back to the system as soon as they are freed, and
// free memory at the end of the heap once it reaches that much: otherwise the allocator raises
// both limits to the largest block freed so far, and after the first save of a large table its
// buffers of several megabytes would stay resident between scans. Called once start-up is over,
// followed by releaseFreedMemory().
void releaseLargeBlocksWhenFreed();

} // namespace amiscan
