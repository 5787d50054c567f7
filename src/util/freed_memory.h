#pragma once

namespace Util {

/// Gives the memory the program has freed back to the system now, instead of keeping it
/// for later allocations: a step that frees a large structure built on other threads, before
/// building another, then does not hold both at once. Works with jemalloc (whose arenas of
/// other threads the calling thread would not reuse) and with the C library's allocator.
void releaseFreedMemory();

}  // namespace Util
