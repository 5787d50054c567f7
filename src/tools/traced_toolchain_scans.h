#pragma once

#include <filesystem>
#include <vector>

#include "tools/compiler_info.h"
#include "tools/compiler_scan_file.h"

namespace Rilk {

/// The compilers of one bin directory by kind, as `scanCompilerDirectory` finds them.
/// Not `readable` when the scan failed: the directory then gives no records.
struct DirectoryCompilers {
    bool readable = true;
    std::vector<CompilerCandidate> cCompilers;
    std::vector<CompilerCandidate> cppCompilers;
};

/// A scan's answer and what it relied on (`trace.items` stays empty). Not `keyable` when
/// some of what it relied on could not be recorded: such an answer is not remembered.
template <typename Answer>
struct TracedScan {
    Answer answer;
    RememberedScan trace;
    bool keyable = true;
};

/// The bin directories to search below a toolchain root, each once by its normalised path:
/// `root` itself when it is named "bin", otherwise root/bin and root/usr/bin; then every
/// directory named "bin" found by walking the tree below `root` (links to directories are
/// not descended into). Records the paths looked up and the directories listed.
TracedScan<std::vector<std::filesystem::path>> traceBinDirectories(std::filesystem::path root);

/// The C and C++ compilers in `directory` (`scanCompilerDirectory` of "gcc" and of
/// "g\+\+"). Records the directory's entries, the way to every file of a compiler's name
/// and the probe answers used.
TracedScan<DirectoryCompilers> traceDirectoryCompilers(const std::filesystem::path& directory);

}  // namespace Rilk
