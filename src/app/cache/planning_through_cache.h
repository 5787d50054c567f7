#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "app/cache/build_cache.h"
#include "app/cache/record_contents.h"
#include "tools/builder.h"
#include "tools/work_item.h"
#include "types/context_fwd.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// What the cached planning of one target hands back to the target build.
struct CachedPlan {
    /// The claim this build holds on the target's record; 0 when it holds none. When not 0
    /// and every job succeeded, the caller stores `contents` with `BuildCache::upsert`.
    std::uint64_t claimToken = 0;
    /// The current plan: its work items in plan order (with the intermediate flags the
    /// comparison left) and its context assignments. The target's outputs are those of
    /// these work items, in this order, whether or not any job runs.
    RecordContents contents;
    /// The contexts of the jobs to run; empty when nothing is to be built.
    std::vector<ContextPtr> jobContexts;
    /// The positions in `contents` of the work items dealt out to the jobs, in order.
    std::vector<std::size_t> pending;
};

/// Deals the given work items (each as its list of inputs) out to at most `jobCount` job
/// contexts for the target, each job also receiving the common assignments.
using JobSplitter = std::function<std::vector<ContextPtr>(
    const TargetContext& target, const std::vector<std::vector<WorkItemEntry>>& workItems,
    const std::vector<Assignment>& common, std::uint64_t jobCount)>;

/// The number of jobs for `pending` work items: 1 when the requested count, the plan's
/// maximum or the pending count is below 2; otherwise the smallest of the requested count,
/// the plan's maximum and half the pending count (at least 1). So every job of several
/// gets at least two work items.
std::uint64_t computeParallelism(std::uint64_t requested, std::uint64_t planMaximum,
                                 std::uint64_t pending);

/// Plans one target through the build cache: asks the builder for its plan, compares it
/// with the target's record, claims the record when anything must be built, and splits the
/// work items to build into job contexts with `split`, for `requestedJobs` jobs at most
/// (the `-j` value).
///
/// A plan without work items cannot be cached: the target is built in one job on a copy of
/// its context, and no record is looked up. A record stored earlier in this run is a hit
/// without comparison. A record claimed by another build is waited for (one second at
/// most), then, when still claimed, the target is built without a claim. Errors of the
/// builder and of the split propagate; a claim taken before them stays.
CachedPlan createRecipesCached(BuildCache& cache, Builder& builder, const TargetContext& target,
                               std::uint64_t requestedJobs, const JobSplitter& split);

}  // namespace Rilk
