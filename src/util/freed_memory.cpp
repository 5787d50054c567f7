#include "util/freed_memory.h"

#include <cstddef>

// jemalloc's control interface, where the program is linked with jemalloc; null otherwise.
extern "C" int mallctl(const char* name, void* oldp, std::size_t* oldlenp, void* newp,
                       std::size_t newlen) __attribute__((weak));
// The C library's, referred to weakly: a program linked statically with jemalloc must not
// pull the C library's allocator in with it.
extern "C" int malloc_trim(std::size_t pad) noexcept __attribute__((weak));

namespace Util {

void releaseFreedMemory() {
    if (mallctl != nullptr) {
        // 4096 is MALLCTL_ARENAS_ALL: every arena.
        mallctl("arena.4096.purge", nullptr, nullptr, nullptr, 0);
        return;
    }
    if (malloc_trim != nullptr) malloc_trim(0);
}

}  // namespace Util
