#pragma once

#include <filesystem>
#include <memory>

#include "app/driver/project_locks.h"
#include "app/jobs/run_journal.h"

namespace Rilk {

/// The record of the outputs a running build may change (see `RunJournal`).
inline constexpr const char* kRunJournalFile = ".rilk_journal";

/// Removes what a killed build run in `projectRoot` left half written (see
/// `RunJournal::recoverKilledRun`), says so, and returns the journal of this run; null in a
/// nested run, whose outer run keeps the journal. Call it with the lock held, before the
/// cache file is read.
std::unique_ptr<RunJournal> startRunJournal(const std::filesystem::path& projectRoot,
                                            const ProjectLock& lock);

/// Removes what a killed build run in the imported project in `projectRoot` left half
/// written, as `startRunJournal` does for the run's own project, so that a later run there
/// does not take what this run builds for that run's leftovers, and returns the journal of
/// this run there: the outputs and the commands of the targets of that project that this run
/// builds, so that a later run there, or in a project importing it, ends them and removes
/// what they changed when this run is killed. Nothing, and null, in a run nested in one
/// that builds that project, which keeps its journal. Call it with the lock held, before the
/// project's cache file is read.
std::unique_ptr<RunJournal> startImportedRunJournal(const std::filesystem::path& projectRoot,
                                                    const ProjectLock& lock);

}  // namespace Rilk
