#include "tools/compiler_directory_scan.h"

#include <set>
#include <system_error>

#include "tools/compiler_identity.h"
#include "tools/compiler_name_pattern.h"
#include "tools/normalized_path.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// Regular files (links followed) and symbolic links, dangling ones included.
bool isCompilerFileCandidate(const fs::directory_entry& entry) {
    std::error_code ec;
    if (entry.is_symlink(ec)) return true;
    if (ec) return false;
    const bool regular = entry.is_regular_file(ec);
    return regular && !ec;
}

}  // namespace

std::vector<CompilerCandidate> scanCompilerDirectory(std::string kind, const fs::path& directory) {
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) return {};
    const CompilerNamePattern namePattern(kind);

    fs::directory_iterator it(directory, fs::directory_options::skip_permission_denied, ec);
    if (ec) return {};
    std::vector<CompilerCandidate> candidates;
    std::set<std::string> seenPaths;
    // Every file lies in `directory`, so triple and version alone tell compilers apart.
    std::set<std::string> keys;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& file = it->path();
        // The name is tested first: it is cheap, and a file of another name that leads to
        // the same program must not hide a compiler's name.
        if (!namePattern.matches(compilerName(file))) continue;
        if (!isCompilerFileCandidate(*it) || !insertNormalizedPath(seenPaths, file)) continue;
        std::optional<CompilerIdentity> identity = identifyCompiler(file, kind);
        if (!identity) continue;
        if (!keys.insert(identity->machine + "|" + identity->version).second) continue;
        candidates.push_back(
            {std::move(identity->version), std::move(identity->machine), file.native()});
    }
    return candidates;
}

}  // namespace Rilk
