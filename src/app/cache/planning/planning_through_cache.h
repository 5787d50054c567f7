#pragma once

#include <cstdint>
#include <string_view>

#include "app/cache/cache_records.h"
#include "app/cache/planning/job_plan.h"
#include "tools/builder.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// The number of jobs for `pending` work items: 1 when the requested count, the plan's
/// maximum or the pending count is below 2; otherwise the smallest of the requested count,
/// the plan's maximum and half the pending count (at least 1). So every job of several
/// gets at least two work items.
std::uint64_t computeParallelism(std::uint64_t requested, std::uint64_t planMaximum,
                                 std::uint64_t pending);

/// Plans one target through the run's records: asks the builder for its plan, takes it over
/// as the plan's work, compares it with the target's record, claims the record when
/// anything must be built, and splits the work items to build into jobs
/// (`splitJobContexts`), for `requestedJobs` jobs at most (the `-j` value). The plan's work
/// items are in plan order, with the intermediate flags the comparison left; the target's
/// outputs are theirs, whether or not any job runs. When the plan holds a claim, the caller
/// stores the record (`TargetWork::run` does).
///
/// A plan without work items cannot be cached: the target is built in one job, the
/// builder's `wholeTargetJob`, and no record is looked up. A record stored earlier in this
/// run is a hit without comparison. A record claimed by another build is waited for (one
/// second at most), then, when still claimed, the target is built without a claim. Errors
/// of the builder and of the split propagate; a claim taken before them stays.
///
/// The record's key is the target's unique name, or with `recordNamespace` that name with
/// this namespace in place of the target's (the records of an imported project's targets
/// are kept under the name its own runs give them). A claim names the key.
JobPlan planThroughCache(CacheRecords& cache, Builder& builder, const TargetContext& target,
                         std::uint64_t requestedJobs, std::string_view recordNamespace = {});

}  // namespace Rilk
