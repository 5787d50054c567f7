#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/cache/planning/job_plan.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// Divides the work items at the `pending` positions of `workItems` (a plan's, whose context
/// assignments are `common`) among `requestedJobs` job contexts, in order and in contiguous
/// runs, the first jobs taking one more item each when the count does not divide evenly;
/// fewer jobs when there are fewer items, none for no item or no job. Each job is appended
/// to the plan's jobs (`jobContexts`) with the positions of its work items (`jobItems`) and
/// the files their outputs name (`jobOutputFiles`).
///
/// Each job is a new target context with the target's qualified name and parameter text and
/// nothing else. A work item contributes, per entry, its intermediate assignment when the
/// entry's intermediate flag is set and the intermediate has a value, else its input
/// assignment; then the plan's context assignments (common to every job) follow. A variable
/// that receives one value keeps that value's own form (a string stays a string, so it
/// splits into the same arguments as on the target); a variable that receives several
/// becomes the list of them, in order.
void splitJobContexts(const Rilk::TargetContext& target,
                      const std::vector<Rilk::WorkItem>& workItems,
                      const std::vector<Rilk::Assignment>& common,
                      const std::vector<std::size_t>& pending, std::uint64_t requestedJobs,
                      JobPlan& plan);

}  // namespace Rilk
