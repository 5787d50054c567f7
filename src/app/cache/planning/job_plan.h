#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/build/target_build_services.h"
#include "app/cache/cache_records.h"
#include "tools/builder.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// Plans a target's jobs through the build cache (`Rilk::createRecipesCached`, split with
/// `splitJobContexts`): the plan's work items and context assignments, the jobs of the work
/// items to build with the work items and files of each, and the claim token.
JobPlan cachedJobPlan(Rilk::CacheRecords& cache, Rilk::Builder& builder,
                      const Rilk::ContextPtr& target, std::uint64_t requestedJobs);

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
void storeCachedRecord(Rilk::CacheRecords& cache, const std::string& uniqueName, const JobPlan& plan,
                       const JobsStart& start, const std::vector<bool>& finished);

}  // namespace Rilk
