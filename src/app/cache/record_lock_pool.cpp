#include "app/cache/record_lock_pool.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace Rilk {
namespace {

/// Enough entries that unrelated records seldom share one while a build decides on them.
constexpr std::size_t kPoolSize = 256;

/// One entry a cache line apart from the next, so that locks of different entries do not
/// contend through a shared line.
struct alignas(64) PaddedLock {
    RecordLock lock;
};

std::array<PaddedLock, kPoolSize> pool;

}  // namespace

RecordLock& recordLockFor(const void* record) {
    auto bits = reinterpret_cast<std::uintptr_t>(record);
    // Records are allocated at least 16 bytes apart: mix the higher bits down.
    bits ^= bits >> 4;
    bits ^= bits >> 12;
    bits *= 0x9E3779B97F4A7C15ull;
    return pool[(bits >> 56) % kPoolSize].lock;
}

}  // namespace Rilk
