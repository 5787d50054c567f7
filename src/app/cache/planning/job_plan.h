#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/cache/cache_records.h"
#include "app/cache/file/build_cache.h"
#include "tools/builder.h"
#include "tools/work_item.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// How a target's work is divided into jobs, made in one planning step. Without a build
/// cache it is one job on the target context itself; with one it is the cache's plan: the
/// work items (whose outputs become the target's outputs), the context assignments, the
/// jobs of the work items that must be built again with the work items and files of each,
/// and a claim token when the record is to be stored.
struct JobPlan {
    bool cached = false;
    std::uint64_t claimToken = 0;
    /// With a claim: the cache holding the claimed record, and the record's key there.
    Rilk::BuildCache* recordCache = nullptr;
    std::string recordKey;
    std::vector<Rilk::WorkItem> workItems;
    std::vector<Rilk::Assignment> contextAssignments;
    std::vector<Rilk::ContextPtr> jobContexts;
    /// The positions in `workItems` of the work items each job builds, by job, in plan
    /// order. Empty when the jobs build no work items of the plan's (no cache, or a plan
    /// without work items).
    std::vector<std::vector<std::size_t>> jobItems;
    /// The files each job writes (the outputs of its work items), by job; a job that fails
    /// must not leave them changed. Empty when they are not known.
    std::vector<std::vector<std::filesystem::path>> jobOutputFiles;
};

/// The plan without a build cache: the target context as the only job.
JobPlan uncachedJobPlan(const Rilk::ContextPtr& target);

/// Plans a target's jobs through the build cache (`Rilk::planThroughCache`): the plan's
/// work items and context assignments, the jobs of the work items to build with the work
/// items and files of each, and the claim token. A context that is no target context is
/// planned without the cache. `recordNamespace`: as for `planThroughCache`.
JobPlan cachedJobPlan(Rilk::BuildCache& cache, Rilk::Builder& builder,
                      const Rilk::ContextPtr& target, std::uint64_t requestedJobs,
                      std::string_view recordNamespace = {});

/// What a plan's jobs started from: the time just before they started and the stamps of
/// the input files of each work item they build, by position in the plan.
class JobsStart {
public:
    /// Takes the time, then the stamps, just before the plan's jobs start.
    explicit JobsStart(const JobPlan& plan);

    std::int64_t time() const { return time_; }
    /// The stamps of the input files of the work item at `position`, empty for one no job
    /// builds.
    const std::vector<RecordedStamp>& inputStamps(std::size_t position) const;

private:
    std::int64_t time_;
    std::vector<std::vector<RecordedStamp>> inputStamps_;
};

/// Stores the record of the work of a plan that holds a claim once its jobs have ended:
/// every work item that was up to date, with what its last build left, and every work item
/// of a job in `finished` (by job: whether it succeeded), with the files it read and the
/// stamps it left. A work item of a job that did not succeed is kept without stamps, so
/// that the next run builds it again. Nothing is stored for a plan without a claim, nor when
/// none of its jobs succeeded: the record then stays as it was.
void storeCachedRecord(Rilk::CacheRecords& cache, const std::string& uniqueName,
                       const JobPlan& plan, const JobsStart& start,
                       const std::vector<bool>& finished);

}  // namespace Rilk
