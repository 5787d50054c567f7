#pragma once

#include <filesystem>
#include <optional>

#include "util/file_lock.h"

namespace Rilk {

/// The lock file of a project: two build runs in one project never overlap.
inline constexpr const char* kProjectLockFile = ".rilk_lock";
/// The record of the outputs a running build may change (see `RunJournal`).
inline constexpr const char* kRunJournalFile = ".rilk_journal";

/// Takes the project's build lock, beside the cache file in `projectRoot`, for as long as
/// the returned object lives. When another run holds it, says once (level Info) that this
/// run waits for it, and waits. A lock file that cannot be made (a read-only project) is
/// reported as a warning and the run goes on without the lock: empty.
std::optional<Util::FileLock> lockProject(const std::filesystem::path& projectRoot);

/// Removes what a killed build run in `projectRoot` left half written (see
/// `RunJournal::recoverKilledRun`) and says so. Call it with the lock held, before the
/// cache file is read.
void cleanUpKilledRun(const std::filesystem::path& projectRoot,
                      const std::filesystem::path& cacheFile);

}  // namespace Rilk
