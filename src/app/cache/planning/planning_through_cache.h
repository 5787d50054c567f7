#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/build/target_build_services.h"
#include "app/cache/cache_records.h"
#include "app/cache/record_contents.h"
#include "tools/builder.h"
#include "tools/work_item.h"
#include "types/context_fwd.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// The jobs a target's pending work items are dealt out to: by job, its context, the
/// positions of its work items, and the files their outputs name.
struct JobSplit {
    std::vector<ContextPtr> contexts;
    std::vector<std::vector<std::size_t>> items;
    std::vector<std::vector<std::filesystem::path>> outputFiles;
};

/// Deals the work items at the `pending` positions of `workItems` out to at most `jobCount`
/// jobs for the target, each job also receiving the common assignments.
using JobSplitter = std::function<JobSplit(
    const TargetContext& target, const std::vector<WorkItem>& workItems,
    const std::vector<std::size_t>& pending, const std::vector<Assignment>& common,
    std::uint64_t jobCount)>;

/// The number of jobs for `pending` work items: 1 when the requested count, the plan's
/// maximum or the pending count is below 2; otherwise the smallest of the requested count,
/// the plan's maximum and half the pending count (at least 1). So every job of several
/// gets at least two work items.
std::uint64_t computeParallelism(std::uint64_t requested, std::uint64_t planMaximum,
                                 std::uint64_t pending);

/// Plans one target through the build cache: asks the builder for its plan, compares it
/// with the target's record, claims the record when anything must be built, and splits the
/// work items to build into jobs with `split`, for `requestedJobs` jobs at most (the `-j`
/// value). The plan's work items are in plan order, with the intermediate flags the
/// comparison left; the target's outputs are theirs, whether or not any job runs. When the
/// plan holds a claim, the caller stores the record (`storeBuiltRecord`).
///
/// A plan without work items cannot be cached: the target is built in one job on a copy of
/// its context, and no record is looked up. A record stored earlier in this run is a hit
/// without comparison. A record claimed by another build is waited for (one second at
/// most), then, when still claimed, the target is built without a claim. Errors of the
/// builder and of the split propagate; a claim taken before them stays.
JobPlan createRecipesCached(CacheRecords& cache, Builder& builder, const TargetContext& target,
                            std::uint64_t requestedJobs, const JobSplitter& split);

}  // namespace Rilk
