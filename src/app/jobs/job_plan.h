#pragma once

#include <cstdint>
#include <string>

#include "app/cache/build_cache.h"
#include "app/build/target_build_services.h"
#include "tools/builder.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// Plans a target's jobs through the build cache (`Rilk::createRecipesCached`, split with
/// `splitJobContexts`) and hands the result to the target build: the plan's work items and
/// context assignments, the jobs of the work items to build, the claim token, and per job
/// the files its work items write.
JobPlan cachedJobPlan(Rilk::BuildCache& cache, Rilk::Builder& builder,
                      const Rilk::ContextPtr& target, std::uint64_t requestedJobs);

/// Stores the plan of a target whose jobs all succeeded as its record.
void storeCachedRecord(Rilk::BuildCache& cache, const std::string& uniqueName, const JobPlan& plan);

}  // namespace Rilk
