#include "tools/normalized_path.h"

#include <system_error>

namespace Rilk {

namespace fs = std::filesystem;

fs::path normalizePath(const fs::path& p) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(p, ec);
    if (!ec) return canonical;
    const fs::path absolute = fs::absolute(p, ec);
    if (!ec) return absolute.lexically_normal();
    return p.lexically_normal();
}

std::string normalizedPathText(const fs::path& p) { return normalizePath(p).native(); }

bool insertNormalizedPath(std::set<std::string>& seen, const fs::path& p) {
    return seen.insert(normalizedPathText(p)).second;
}

}  // namespace Rilk
