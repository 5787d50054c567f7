#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/cache/cache_records.h"
#include "app/cache/planning/job_plan.h"
#include "app/cache/record_places.h"
#include "tools/builder.h"
#include "types/rilk_context_types.h"
#include "util/ci_string.h"

namespace Rilk {

/// What runs a target's jobs for `TargetWork`. The program's runs them through the jobs
/// group and its stop signals; a test's may start no process.
class JobRunner {
public:
    virtual ~JobRunner() = default;

    /// Throws when the run was asked to stop: the build then ends before the next target,
    /// and before the jobs of a target already planned.
    virtual void stopIfAsked() = 0;

    /// Runs `plan.jobContexts` (their files `plan.jobOutputFiles`) and appends their outputs
    /// to `output`. Sets `finished`, on every path, to whether each job succeeded, by job.
    /// Throws when a job failed, or a stop signal stopped them.
    virtual void run(Builder& builder, const JobPlan& plan, const Util::CiString& label,
                     Context& output, std::vector<bool>& finished) = 0;
};

/// The one owner of a target's cached work, from its plan to its record, for one run's
/// records and `-j`: plans the target through the records its namespace's records are kept
/// in (`planThroughCache`), runs its jobs through the runner it is given, and stores the
/// record of the work that finished.
///
/// Its rules: the run is asked whether to stop before the plan and before the jobs; before
/// any job runs, the run's stamps drop what they read ahead and forget their open
/// directories (the jobs change files), and the time and the inputs' stamps are taken.
/// However the jobs end, once they have ended every records' backing is told
/// (`CacheRecords::afterCommands`), the open directories are forgotten again and, when the
/// plan holds a claim, the record is stored:
/// every work item that was up to date with what its last build left, every one of a job
/// that succeeded with the files it read and the stamps it left, every one of a job that did
/// not succeed without stamps (so the next run builds it again). When no job succeeded the
/// record stays as it was. One target at a time.
class TargetWork {
public:
    TargetWork(RecordPlaces& places, JobRunner& runner, std::uint64_t requestedJobs)
        : places_(places), runner_(runner), requestedJobs_(requestedJobs) {}
    /// Over the one cache that keeps every target's record.
    TargetWork(CacheRecords& records, JobRunner& runner, std::uint64_t requestedJobs)
        : onePlace_(std::in_place, records),
          places_(*onePlace_),
          runner_(runner),
          requestedJobs_(requestedJobs) {}
    TargetWork(const TargetWork&) = delete;
    TargetWork& operator=(const TargetWork&) = delete;

    /// Builds the work of `target`, whose builder is `builder`, named `label` in messages,
    /// appending the jobs' outputs to `output`. Returns the plan, whose work items give the
    /// target's outputs. A failed job or a stop throws, after the record is stored.
    JobPlan run(Builder& builder, const TargetContext& target, const Util::CiString& label,
                Context& output);

private:
    std::optional<OneRecordPlace> onePlace_;
    RecordPlaces& places_;
    JobRunner& runner_;
    std::uint64_t requestedJobs_;
};

}  // namespace Rilk
