#pragma once

#include <filesystem>
#include <vector>

#include "app/jobs/run_journal.h"
#include "tools/builder.h"
#include "types/context.h"
#include "util/ci_string.h"

namespace Rilk {

/// The files each job writes: element i belongs to `jobContexts[i]` of `runBuildJobs`
/// (missing elements mean no files).
using JobOutputFiles = std::vector<std::vector<std::filesystem::path>>;

/// Runs the work of one target: one job per non-null job context, each job's recipes in
/// order through "/bin/sh" "-c", all jobs in parallel, one thread each.
///
/// Calls, on this thread: `builder.beginBuild` (first job, job count), `createRecipes` per
/// job before any job starts, then after every job has ended either `collectOutputs` per
/// job, whose variables are appended to `output` as lists in job order, or — when a job
/// failed — logs "Build of <name> failed. Exiting.." and throws `RilkException`
/// "Build failed.". `endBuild` is called on every path once `beginBuild` returned, after
/// all job threads have been joined. With no job no builder operation is called.
///
/// A job stops at its first command that fails. The files listed for a job that did not
/// succeed are removed when its commands created or changed them.
///
/// A stop signal (`kStopSignals`) while the jobs run stops every running command (its whole
/// process group), waits for the jobs, removes the changed outputs of every job that did
/// not succeed and throws `BuildInterrupted`. A job whose command ended after the signal
/// did not succeed, whatever status the command exited with. A command that ignores the
/// signal is killed (SIGKILL to its process group) on a second signal, or
/// `kStubbornCommandGrace` after the first. A closed standard output stops them so too, seen
/// also while no write fails (`stopIfOutputClosed`).
///
/// With a `journal`, the state of every listed output file is added to it, on disk, before
/// the first job starts. With `finished`, it tells on every path, by job context, whether
/// that job succeeded (its work may be recorded as done).
void runBuildJobs(Builder& builder, const std::vector<ContextPtr>& jobContexts,
                  const Util::CiString& name, Context& output,
                  const JobOutputFiles& outputFiles = {}, RunJournal* journal = nullptr,
                  std::vector<bool>* finished = nullptr);

}  // namespace Rilk
