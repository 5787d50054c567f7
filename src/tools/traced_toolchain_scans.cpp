#include "tools/traced_toolchain_scans.h"

#include <dirent.h>

#include <cerrno>
#include <set>
#include <string>
#include <system_error>

#include "tools/compiler_directory_scan.h"
#include "tools/normalized_path.h"
#include "tools/path_trace.h"
#include "tools/probe_cache.h"
#include "tools/quiet_tree_walk.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

using SeenPaths = std::set<std::string>;

bool isDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

/// Records the way to `path`; a path that cannot be recorded makes the scan unkeyable.
template <typename Answer>
void traceWay(const fs::path& path, TracedScan<Answer>& scan) {
    std::string resolved;
    if (!traceResolution(path, scan.trace.dependencies, resolved)) scan.keyable = false;
}

template <typename Answer>
void traceListed(const fs::path& directory, TracedScan<Answer>& scan) {
    if (!traceListing(directory, scan.trace.dependencies)) scan.keyable = false;
}

/// Every directory named "bin" below `root`, in walk order, recording every directory the
/// walk lists and the way to every entry named "bin".
void addWalkedBinDirectories(const fs::path& root, SeenPaths& seen,
                             TracedScan<std::vector<fs::path>>& scan) {
    traceListed(root, scan);
    const bool finished = walkTreeQuietly(root, [&](const fs::directory_entry& entry) {
        std::error_code typeError;
        const fs::file_status own = entry.symlink_status(typeError);
        if (typeError) {
            scan.keyable = false;
        } else if (fs::is_directory(own)) {
            traceListed(entry.path(), scan);
        }
        if (entry.path().filename() == "bin") {
            traceWay(entry.path(), scan);
            if (entry.is_directory(typeError) && insertNormalizedPath(seen, entry.path())) {
                scan.answer.push_back(entry.path());
            }
        }
    });
    if (!finished) scan.keyable = false;
}

/// Whether `directory` can be opened, or is refused for its permissions (which its stamp
/// holds): anything else may pass and must not be remembered as an empty directory.
bool opensOrIsRefused(const fs::path& directory) {
    DIR* listing = opendir(directory.c_str());
    if (listing != nullptr) {
        closedir(listing);
        return true;
    }
    return errno == EACCES || errno == ENOENT || errno == ENOTDIR;
}

}  // namespace

TracedScan<std::vector<fs::path>> traceBinDirectories(fs::path root) {
    TracedScan<std::vector<fs::path>> scan;
    // "/opt/gcc/bin/" names the same directory as "/opt/gcc/bin".
    while (!root.has_filename() && root.has_relative_path()) root = root.parent_path();
    SeenPaths seen;
    auto addIfDirectory = [&](const fs::path& dir) {
        traceWay(dir, scan);
        if (isDirectory(dir) && insertNormalizedPath(seen, dir)) scan.answer.push_back(dir);
    };
    if (root.filename() == "bin") {
        addIfDirectory(root);
    } else {
        addIfDirectory(root / "bin");
        addIfDirectory(root / "usr" / "bin");
    }
    traceWay(root, scan);
    if (isDirectory(root)) addWalkedBinDirectories(root, seen, scan);
    return scan;
}

TracedScan<DirectoryCompilers> traceDirectoryCompilers(const fs::path& directory) {
    TracedScan<DirectoryCompilers> scan;
    traceListed(directory, scan);
    std::vector<fs::path> examined;
    {
        const ProbeRecording recording;
        try {
            scan.answer.cCompilers = scanCompilerDirectory("gcc", directory, &examined);
            scan.answer.cppCompilers = scanCompilerDirectory("g\\+\\+", directory, &examined);
        } catch (const fs::filesystem_error&) {
            scan.answer = DirectoryCompilers{false, {}, {}};
            scan.keyable = false;
        }
        scan.trace.probes = recording.answers();
        if (!recording.complete()) scan.keyable = false;
    }
    for (const fs::path& file : examined) {
        // The probes know a program by the directories of its invoked path and of its file.
        std::string resolved;
        if (!traceResolution(file, scan.trace.dependencies, resolved)) scan.keyable = false;
        if (!resolved.empty()) traceListed(fs::path(resolved).parent_path(), scan);
        std::error_code ec;
        const fs::path invoked = fs::absolute(file, ec).lexically_normal();
        if (ec) {
            scan.keyable = false;
        } else {
            traceListed(invoked.parent_path(), scan);
        }
    }
    if (examined.empty() && !opensOrIsRefused(directory)) scan.keyable = false;
    return scan;
}

}  // namespace Rilk
