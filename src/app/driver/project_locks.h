#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/driver/held_locks.h"
#include "app/driver/lock_ancestry.h"
#include "app/load/project.h"
#include "util/file_lock.h"

namespace Rilk {

/// How a build run holds one project.
struct ProjectLock {
    /// Held for as long as the object lives; empty when there is no lock file.
    std::optional<Util::FileLock> lock;
    /// A run that this process descends from (one of its commands runs rilk again) builds the
    /// project as its own: this run must not keep a journal of its own beside that run's. A
    /// run never waits for a lock an ancestor holds, which would never end: it takes the lock
    /// file of the runs nested as deep as it is instead, so that those take turns among
    /// themselves.
    bool nested = false;
};

/// The build locks a run holds: of its own project, and of each project it imports, whose
/// targets it builds into that project's folders. A run learns which locks the runs it was
/// started by hold from its environment (`kHeldLocksVariable`), each checked to be still held
/// by that run, and tells the commands it starts the same, its own locks added. A run never
/// waits for a lock while it holds another (it lets those go first and takes them again
/// afterwards), and a wait that would never end (the holder waits, through the runs its
/// commands started, for a lock a run that started this one holds) ends the run with an
/// error instead (`waitForLock`).
class ProjectLocks {
public:
    /// Takes the lock of the run's own project in `root`, beside its cache file, and marks it
    /// as this run's. When another run holds it, says once (level Info) that this run waits
    /// for it, naming the holder and the lock file, and waits, unless that run is an ancestor
    /// of this process. A run of a build that has ended (killed) and is still running in the
    /// project is waited for too. A lock file that cannot be made on a read-only file system
    /// is reported as a warning and the run goes on without the lock; any other lock that
    /// cannot be taken (a symbolic link or a file that is not a regular one in its place, a
    /// folder this user may not write, a file system without locks, runs nested too deep)
    /// ends the run (`RilkException`).
    void lockOwnProject(const std::filesystem::path& root);

    /// Takes, as `lockOwnProject` does, the lock of each project that `project` imports,
    /// directly or not, in the order of their canonical roots. Nothing to do without
    /// imports. Returns whether the own project's lock was let go meanwhile, to wait for
    /// another, and taken again: its state files may have changed since.
    bool lockImportedProjects(const Project& project);

    /// How the run holds its own project; call `lockOwnProject` first.
    const ProjectLock& own() const;
    /// How the run holds the project in `root` (its path with links resolved, as an
    /// imported project's is); null when the run took no lock of it.
    const ProjectLock* find(const std::filesystem::path& root) const;

private:
    struct Held {
        std::filesystem::path root;
        std::filesystem::path file;
        bool imported = false;
        ProjectLock lock;
    };
    /// What trying a project's lock found: the lock taken (then kept in `held_`), or a lock
    /// file to wait for.
    struct Attempt {
        /// See `ProjectLock::nested`.
        bool nested = false;
        std::filesystem::path file;
        bool busy = false;
        /// The busy file is held by a run left from a build that has ended.
        bool leftOver = false;
    };

    /// Takes the lock of every root of `roots` (sorted) not held yet; returns whether the
    /// own project's lock was let go meanwhile.
    bool lockAll(const std::vector<std::filesystem::path>& roots);
    /// Takes the project's lock unless a run that is no ancestor holds it: one level deeper
    /// for each level an ancestor holds.
    Attempt tryLock(const std::filesystem::path& root, bool imported);
    /// Marks a lock just taken as this run's and keeps it; busy (the lock let go) when a run
    /// left from a build that has ended holds a deeper level of the project.
    Attempt settle(Util::FileLock lock, const std::filesystem::path& root, int level, bool imported,
                   bool nested);
    /// Says that this run waits for `attempt`'s file, and for what.
    void announceWait(const Attempt& attempt, const std::filesystem::path& root,
                      bool imported) const;
    bool holds(const std::filesystem::path& root) const;
    /// Tells the commands this run starts which locks it and its ancestors hold.
    void passToCommands() const;

    std::vector<Held> held_;
    /// The root the own project's lock is kept under in `held_`.
    std::filesystem::path ownRoot_;
    std::optional<LockAncestry> ancestry_;
    std::uint64_t token_ = 0;
};

}  // namespace Rilk
