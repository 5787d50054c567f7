#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "util/file_lock.h"
#include "util/file_marks.h"

namespace Rilk {

/// How runs mark the project lock files (util/file_marks.h), so that others can tell who
/// holds a lock, whether the run that started them still holds one, and what the holder of a
/// lock waits for through the runs its commands started. A mark goes with its owner, also
/// when it is killed: a mark is never stale.
namespace LockMarks {

/// The holder's process mark, at one of these, by how it holds the project.
inline constexpr std::int64_t kOwnHolder = 0;
inline constexpr std::int64_t kImportedHolder = 1;
/// The size of the token and lock-id spaces.
inline constexpr std::int64_t kSpan = std::int64_t{1} << 40;
/// The holder's mark at `kTokenBase + its run token`.
inline constexpr std::int64_t kTokenBase = kSpan;
/// Marks of runs waiting for a lock file, on each lock file that the runs they were started by
/// hold: at `kWaitBase + lockId(file)` for the file waited for and for each file its holder
/// waits for in turn.
inline constexpr std::int64_t kWaitBase = 2 * kSpan;

/// A run token in [1, kSpan) that no other run is likely to draw.
std::uint64_t newRunToken();
/// The number a lock file is marked by, in [0, kSpan).
std::int64_t lockId(const Util::FileIdentity& file);

/// Places the marks of the holder of `lock`: its process, and its token.
void markHolder(const Util::FileLock& lock, std::uint64_t token, bool imported);
/// Whether the run with `token` still holds the lock file `marks` is open on.
bool heldBy(const Util::MarkedFile& marks, std::uint64_t token);
/// The process mark of the holder of the lock file `marks` is open on.
std::optional<Util::ProcessMark> holderProcess(const Util::MarkedFile& marks);

/// The holder of `file`, for messages: "process 123", or why its id cannot be told.
std::string holderText(const std::filesystem::path& file);
/// Whether process `pid` (of this PID namespace) is one of this process's ancestors, however
/// far up.
bool isAncestor(pid_t pid);

}  // namespace LockMarks

}  // namespace Rilk
