#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "tools/work_item.h"
#include "types/assignment.h"

namespace Rilk {

/// A builder's plan of one target: the work items that can be spread over jobs and kept by
/// the build cache, the target variables the plan depends on, and the builder's cap on the
/// number of parallel jobs.
struct BuildPlan {
    /// `maxParallelJobs` of a builder that sets no cap (-1 read as unsigned).
    static constexpr std::uint64_t kNoJobLimit = std::numeric_limits<std::uint64_t>::max();

    /// The work items; none means the target cannot be cached.
    std::vector<WorkItem> workItems;
    /// The variables of the target context the plan was made from; the build cache stores
    /// them with the target's record and compares them on the next run.
    std::vector<Assignment> context;
    /// 1: the target is built in one job; `kNoJobLimit`: no cap of the builder's own.
    std::uint64_t maxParallelJobs = 1;
};

}  // namespace Rilk
