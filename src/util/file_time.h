#pragma once

#include <cstdint>
#include <ctime>

namespace Util {

/// A file time as `stat` gives it (`st_mtim`, `st_ctim`), in nanoseconds since the epoch.
inline std::int64_t nanosecondsOf(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace Util
