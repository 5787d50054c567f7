#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "app/load/project.h"
#include "util/file_lock.h"

namespace Rilk {

/// The lock file of a project: two build runs in one project never overlap. Runs nested in a
/// build of the project (started by its commands) take `.rilk_lock.1` instead, and so on
/// one level deeper each.
inline constexpr const char* kProjectLockFile = ".rilk_lock";

/// How a build run holds one project.
struct ProjectLock {
    /// Held for as long as the object lives; empty when there is no lock file.
    std::optional<Util::FileLock> lock;
    /// The project's lock is held by a run that this process descends from (one of its
    /// commands runs rilk again) and that builds the project as its own: this run must not
    /// keep a journal of its own beside that run's. A run never waits for a lock an
    /// ancestor holds, which would never end: it takes the lock file of the runs nested as
    /// deep as it is instead, so that those take turns among themselves.
    bool nested = false;
};

/// The build locks a run holds: of its own project, and of each project it imports, whose
/// targets it builds into that project's folders. A run never waits for a lock while it
/// holds another (it lets those go first and takes them again afterwards), so two runs
/// never wait for each other in a circle, also when the holder of the lock waited for is
/// waiting for a command of this run.
class ProjectLocks {
public:
    /// Takes the lock of the run's own project in `root`, beside its cache file, and writes
    /// this process's id into the lock file. When another run holds it, says once (level
    /// Info) that this run waits for it, and waits, unless that run is an ancestor of this
    /// process. A lock file that cannot be made (a read-only project) is reported as a
    /// warning and the run goes on without the lock; a symbolic link in its place is an
    /// error (`RilkException`).
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
        ProjectLock lock;
    };

    /// Takes the lock of every root of `roots` (sorted) not held yet; returns whether the
    /// own project's lock was let go meanwhile.
    bool lockAll(const std::vector<std::filesystem::path>& roots);
    bool holds(const std::filesystem::path& root) const;

    std::vector<Held> held_;
    /// The root the own project's lock is kept under in `held_`.
    std::filesystem::path ownRoot_;
};

}  // namespace Rilk
