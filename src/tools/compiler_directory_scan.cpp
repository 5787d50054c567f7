#include "tools/compiler_directory_scan.h"

#include <dirent.h>

#include <memory>
#include <set>
#include <system_error>

#include "tools/compiler_identity.h"
#include "tools/compiler_name_pattern.h"
#include "tools/normalized_path.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// Regular files (links followed) and symbolic links, dangling ones included.
bool isCompilerFileCandidate(const fs::path& file) {
    std::error_code ec;
    const fs::directory_entry entry(file, ec);
    if (ec) return false;
    if (entry.is_symlink(ec)) return true;
    if (ec) return false;
    const bool regular = entry.is_regular_file(ec);
    return regular && !ec;
}

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};

}  // namespace

std::vector<CompilerCandidate> scanCompilerDirectory(std::string kind, const fs::path& directory,
                                                     std::vector<fs::path>* examined) {
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) return {};
    const CompilerNamePattern namePattern(kind);

    // The names are read as the system gives them: a bin directory holds thousands of
    // files, and only the few whose name matches become paths.
    const std::unique_ptr<DIR, DirectoryCloser> listing(opendir(directory.c_str()));
    if (!listing) return {};
    std::vector<CompilerCandidate> candidates;
    std::set<std::string> seenPaths;
    // Every file lies in `directory`, so triple and version alone tell compilers apart.
    std::set<std::string> keys;
    while (const dirent* entry = readdir(listing.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        // The name is tested first: it is cheap, and a file of another name that leads to
        // the same program must not hide a compiler's name.
        if (!namePattern.matches(compilerNameOf(name))) continue;
        const fs::path file = directory / name;
        if (examined != nullptr) examined->push_back(file);
        if (!isCompilerFileCandidate(file) || !insertNormalizedPath(seenPaths, file)) continue;
        std::optional<CompilerIdentity> identity = identifyCompiler(file, kind);
        if (!identity) continue;
        if (!keys.insert(identity->machine + "|" + identity->version).second) continue;
        candidates.push_back(
            {std::move(identity->version), std::move(identity->machine), file.native()});
    }
    return candidates;
}

}  // namespace Rilk
