#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace Util {

/// A process as /proc shows it: its id, its parent's, its process group and session, its
/// state and when it started (clock ticks since boot). Id and start together name one process: an
/// id reused after it ended comes with a later start.
struct ProcessEntry {
    pid_t pid = 0;
    pid_t parent = 0;
    pid_t group = 0;
    pid_t session = 0;
    /// Its controlling terminal (a device number; 0: none) and that terminal's foreground
    /// process group (-1: none).
    int terminal = 0;
    pid_t terminalGroup = -1;
    char state = 0;
    std::uint64_t start = 0;

    /// A zombie, or a process on its way out, runs nothing any more.
    bool living() const { return state != 'Z' && state != 'X' && state != 'x'; }
};

/// Process `pid` of this PID namespace from /proc/<pid>/stat; empty when it is gone or
/// cannot be read.
std::optional<ProcessEntry> readProcess(pid_t pid);

/// Every process of this PID namespace that /proc shows.
std::vector<ProcessEntry> allProcesses();

/// This process's ancestors, its parent first, each read from /proc following the parent
/// links, however far up: to the first process of the PID namespace (id 1), which is left
/// out, or to an ancestor outside the namespace (parent id 0). Stops where an id has been
/// taken by a newer process since it was read as a parent's.
std::vector<ProcessEntry> processAncestors();

/// Whether process group `group` has a living process (a zombie is none) in `table`.
bool groupLives(const std::vector<ProcessEntry>& table, pid_t group);

/// The start time of process `pid` in clock ticks after boot; 0 when unknown.
std::uint64_t processStartTime(pid_t pid);

/// The id of the running boot of the system; empty when unknown.
std::string currentBootId();

/// The identity (inode) of this process's PID namespace, in which the process ids it sees
/// are given; 0 when unknown.
std::uint64_t pidNamespaceId();

/// Whether `process` still lives: its id names a process with the same start.
bool stillRunning(const ProcessEntry& process);

/// Up to `limit` bytes of a file of /proc or /sys, read as the system gives them (such files
/// tell no size); empty when it cannot be opened.
std::optional<std::string> readSystemFile(const char* path, std::size_t limit);

/// Up to `limit` bytes of a /proc file of process `pid` (`name`: "environ", "cmdline"),
/// read as the system gives them; empty when it cannot be read.
std::optional<std::string> readProcessFile(pid_t pid, const char* name, std::size_t limit);

/// The paths of the files process `pid` has open (from /proc/<pid>/fd), as the kernel names
/// them; empty when they cannot be read (another user's process, or one that has ended).
std::vector<std::filesystem::path> openFilesOf(pid_t pid);

}  // namespace Util
