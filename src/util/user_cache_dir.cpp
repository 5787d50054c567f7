#include "util/user_cache_dir.h"

#include <cstdlib>

namespace Rilk {

std::filesystem::path getUserCacheDir() {
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    if (cacheHome != nullptr && std::filesystem::path(cacheHome).is_absolute()) {
        return std::filesystem::path(cacheHome) / "rilk";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    return std::filesystem::path(home) / ".cache" / "rilk";
}

}  // namespace Rilk
