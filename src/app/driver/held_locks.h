#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Rilk {

/// The lock file of a project: two build runs in one project never overlap. Runs nested in a
/// build of the project (started by its commands) take `.rilk_lock.1` instead, and so on
/// one level deeper each.
inline constexpr const char* kProjectLockFile = ".rilk_lock";

/// The lock file of the runs nested `level` deep in a build of the project in `root`.
std::filesystem::path projectLockFile(const std::filesystem::path& root, int level);
/// The level of a project lock file by its name (`.rilk_lock` 0, `.rilk_lock.3` 3); empty
/// for another name.
std::optional<int> projectLockLevel(const std::filesystem::path& file);

/// A project lock file held by a build run, as the run tells the commands it starts.
struct HeldLock {
    /// The lock file, absolute.
    std::filesystem::path file;
    /// The holder's run token: a number no other run has, which it marks the file with.
    std::uint64_t token = 0;
    /// The holder builds the project as one its own project imports.
    bool imported = false;
    bool operator==(const HeldLock&) const = default;
};

/// The environment variable through which a build run tells the commands it starts (and the
/// runs they start) which project locks it and the runs it was started by hold.
inline constexpr const char* kHeldLocksVariable = "RILK_HELD_LOCKS";

/// The variable's value: one line per lock, "o" (own project) or "i" (imported), the token
/// in hexadecimal, the path's length in bytes and the path (which may hold any byte).
std::string heldLocksText(const std::vector<HeldLock>& locks);
/// The locks a value names, up to the first line that is not one (a damaged or foreign
/// value names fewer, never fails).
std::vector<HeldLock> parseHeldLocks(std::string_view text);

}  // namespace Rilk
