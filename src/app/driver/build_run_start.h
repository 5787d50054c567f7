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
/// does not take what this run builds for that run's leftovers; nothing in a run nested in
/// one that builds that project as its own, which keeps its journal. This run keeps no
/// journal there: its own journal lists the outputs it writes. Call it with the lock held,
/// before the project's cache file is read.
void finishImportedKilledRun(const std::filesystem::path& projectRoot, const ProjectLock& lock);

}  // namespace Rilk
