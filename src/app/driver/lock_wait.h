#pragma once

#include <filesystem>

#include "app/driver/lock_ancestry.h"
#include "util/file_lock.h"

namespace Rilk {

/// Waits until this run takes the lock on `file`, which another run holds, and returns it.
/// Meanwhile marks the lock files of `told`, and those that this process's ancestors are seen
/// to hold (`LockAncestry::addHeldByAncestorProcesses`), with what their holders now wait for
/// (this file, and what its holder waits for in turn), asking again every few milliseconds.
/// When the holder of `file` waits, through the runs its commands started, for a lock that
/// one of those holds, the wait would never end: throws `RilkException` naming both lock
/// files, their projects and holders (one run of such a circle gives up, so the others go
/// on). Throws as `Util::FileLock::acquire` does.
Util::FileLock waitForLock(const std::filesystem::path& file, const LockAncestry& told);

}  // namespace Rilk
