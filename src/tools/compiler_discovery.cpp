#include "tools/compiler_discovery.h"

#include <set>
#include <string>
#include <system_error>

#include "tools/compiler_candidate_merge.h"
#include "tools/compiler_directory_scan.h"
#include "tools/normalized_path.h"
#include "tools/quiet_tree_walk.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

using SeenPaths = std::set<std::string>;

bool isDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

void addIfNew(const fs::path& dir, SeenPaths& seen, std::vector<fs::path>& dirs) {
    if (insertNormalizedPath(seen, dir)) dirs.push_back(dir);
}

/// Every directory named "bin" below `root`, in walk order.
void addWalkedBinDirectories(const fs::path& root, SeenPaths& seen, std::vector<fs::path>& dirs) {
    walkTreeQuietly(root, [&](const fs::directory_entry& entry) {
        std::error_code typeError;
        if (entry.path().filename() == "bin" && entry.is_directory(typeError)) {
            addIfNew(entry.path(), seen, dirs);
        }
    });
}

/// The directories to scan below `root`, each at most once by its normalised path.
std::vector<fs::path> candidateDirectories(fs::path root) {
    // "/opt/gcc/bin/" names the same directory as "/opt/gcc/bin".
    while (!root.has_filename() && root.has_relative_path()) root = root.parent_path();
    SeenPaths seen;
    std::vector<fs::path> dirs;
    if (root.filename() == "bin") {
        if (isDirectory(root)) addIfNew(root, seen, dirs);
    } else {
        for (const fs::path& fixed : {root / "bin", root / "usr" / "bin"}) {
            if (isDirectory(fixed)) addIfNew(fixed, seen, dirs);
        }
    }
    if (isDirectory(root)) addWalkedBinDirectories(root, seen, dirs);
    return dirs;
}

/// The records of one bin directory, C compilers first; none when the directory cannot
/// be read.
std::vector<CompilerInfo> directoryRecords(const ToolchainWants& wants, const fs::path& dir) {
    std::vector<CompilerCandidate> cCompilers;
    std::vector<CompilerCandidate> cppCompilers;
    try {
        cCompilers = scanCompilerDirectory("gcc", dir);
        cppCompilers = scanCompilerDirectory("g\\+\\+", dir);
    } catch (const fs::filesystem_error&) {
        return {};
    }
    std::vector<CompilerInfo> records;
    mergeCompilerCandidates(wants, dir.parent_path(), std::move(cCompilers), records);
    mergeCompilerCandidates(wants, dir.parent_path(), std::move(cppCompilers), records);
    return records;
}

}  // namespace

std::vector<CompilerInfo> findCompilersUnder(const ToolchainWants& wants, const fs::path& root) {
    std::vector<CompilerInfo> result;
    // The directories are distinct by their normalised paths, so a record can only repeat
    // one of its own directory (a C and a C++ compiler of one triple and version).
    for (const fs::path& dir : candidateDirectories(root)) {
        std::set<std::string> keys;
        for (CompilerInfo& record : directoryRecords(wants, dir)) {
            if (keys.insert(record.prefix + "|" + record.version).second) {
                result.push_back(std::move(record));
            }
        }
    }
    return result;
}

}  // namespace Rilk
