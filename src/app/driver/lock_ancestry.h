#pragma once

#include <filesystem>
#include <vector>

#include "app/driver/held_locks.h"
#include "util/file_marks.h"
#include "util/process_table.h"

namespace Rilk {

/// A project lock held by a run that this process descends from.
struct AncestorLock {
    HeldLock held;
    Util::FileIdentity file;
    /// The project's folder.
    Util::FileIdentity project;
    int level = 0;
};

/// The project locks the runs this process descends from hold, as the environment told
/// (`kHeldLocksVariable`), each found still held by the run that told it: the locks of a
/// build that was killed, or has ended, are left out, and so is what a damaged value names.
class LockAncestry {
public:
    /// From this process's environment.
    static LockAncestry fromEnvironment();
    /// From the locks `told`, checked.
    explicit LockAncestry(const std::vector<HeldLock>& told);
    LockAncestry() = default;

    /// The lock of `level` in the project whose folder is `project`, when an ancestor holds
    /// it; null otherwise.
    const AncestorLock* holding(const Util::FileIdentity& project, int level) const;
    /// Whether an ancestor holds a lock of the project as its own project, at any level.
    bool holdsAsOwn(const Util::FileIdentity& project) const;
    const std::vector<AncestorLock>& locks() const { return locks_; }

    /// Adds the project locks that this process's ancestors hold as the processes themselves
    /// show them, for a run whose environment told it less (a command cleared it, `env -i`):
    /// `addHeldBy` this process's ancestors in its PID namespace, however far up. Reads /proc:
    /// for a run that waits, not on every run's way.
    void addHeldByAncestorProcesses();
    /// Adds each project lock file that a process of `processes` (as /proc showed them) has
    /// open and holds: the holder's process mark is that process's, and its id still names
    /// it (the same start), not a process that took the id once it ended. Processes whose
    /// open files this user may not read are passed over.
    void addHeldBy(const std::vector<Util::ProcessEntry>& processes);

private:
    /// Whether `file` is one of `locks_`.
    bool lists(const Util::FileIdentity& file) const;

    std::vector<AncestorLock> locks_;
};

/// The identity of a folder or file by its path; all zero when it cannot be read.
Util::FileIdentity identityOf(const std::filesystem::path& path);

}  // namespace Rilk
