#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace Util {

/// A process as /proc shows it: its id, its parent's, and when it started (clock ticks since
/// boot). Id and start together name one process: an id reused after it ended comes with a
/// later start.
struct ProcessEntry {
    pid_t pid = 0;
    pid_t parent = 0;
    std::uint64_t start = 0;
};

/// Process `pid` of this PID namespace from /proc/<pid>/stat; empty when it is gone or
/// cannot be read.
std::optional<ProcessEntry> readProcess(pid_t pid);

/// This process's ancestors, its parent first, each read from /proc following the parent
/// links, at most `limit`: up to the first process of the PID namespace (id 1), which is
/// left out, or to an ancestor outside the namespace (parent id 0).
std::vector<ProcessEntry> processAncestors(std::size_t limit);

/// Whether `process` still lives: its id names a process with the same start.
bool stillRunning(const ProcessEntry& process);

/// The paths of the files process `pid` has open (from /proc/<pid>/fd), as the kernel names
/// them; empty when they cannot be read (another user's process, or one that has ended).
std::vector<std::filesystem::path> openFilesOf(pid_t pid);

}  // namespace Util
