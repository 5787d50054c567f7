#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "app/jobs/run_journal.h"
#include "util/file_lock.h"

namespace Rilk {

/// The lock file of a project: two build runs in one project never overlap.
inline constexpr const char* kProjectLockFile = ".rilk_lock";
/// The record of the outputs a running build may change (see `RunJournal`).
inline constexpr const char* kRunJournalFile = ".rilk_journal";

/// How a build run holds its project.
struct ProjectLock {
    /// Held for as long as the object lives; empty when there is no lock file or the run
    /// is nested.
    std::optional<Util::FileLock> lock;
    /// The lock is held by a run that this process descends from (one of its commands runs
    /// rilk again in the same project): this run must neither wait for it, which would never
    /// end, nor keep a journal of its own beside that run's.
    bool nested = false;
};

/// Takes the project's build lock, beside the cache file in `projectRoot`, and writes this
/// process's id into the lock file. When another run holds it, says once (level Info) that
/// this run waits for it, and waits, unless that run is an ancestor of this process. A lock
/// file that cannot be made (a read-only project) is reported as a warning and the run goes
/// on without the lock; a symbolic link in its place is an error (`RilkException`).
ProjectLock lockProject(const std::filesystem::path& projectRoot);

/// Removes what a killed build run in `projectRoot` left half written (see
/// `RunJournal::recoverKilledRun`), says so, and returns the journal of this run; null in a
/// nested run, whose outer run keeps the journal. Call it with the lock held, before the
/// cache file is read.
std::unique_ptr<RunJournal> startRunJournal(const std::filesystem::path& projectRoot,
                                            const ProjectLock& lock);

}  // namespace Rilk
