#include "app/cached_job_plan.h"

#include <cstddef>
#include <filesystem>
#include <utility>
#include <vector>

#include "app/cached_planning.h"
#include "app/job_context_split.h"
#include "types/value_utils.h"

JobPlan cachedJobPlan(Rilk::BuildCache& cache, Rilk::Builder& builder,
                      const Rilk::ContextPtr& target, std::uint64_t requestedJobs) {
    const auto* targetContext = dynamic_cast<const Rilk::TargetContext*>(target.get());
    if (targetContext == nullptr) return uncachedJobPlan(target);
    Rilk::CachedPlan cached =
        Rilk::createRecipesCached(cache, builder, *targetContext, requestedJobs, splitJobContexts);
    JobPlan plan;
    plan.cached = true;
    plan.claimToken = cached.claimToken;
    plan.workItems = cached.contents.releaseWorkItems();
    plan.contextAssignments = std::move(cached.contents.context);
    plan.jobContexts = std::move(cached.jobContexts);
    if (plan.jobContexts.empty() || cached.pending.empty()) return plan;

    // The split deals the pending work items out in order, in runs of these sizes.
    std::size_t next = 0;
    for (std::uint64_t size : jobSizes(cached.pending.size(), plan.jobContexts.size())) {
        std::vector<std::filesystem::path> files;
        for (std::uint64_t k = 0; k < size && next < cached.pending.size(); ++k, ++next) {
            for (const Rilk::Assignment& output : plan.workItems[cached.pending[next]].outputs) {
                Rilk::collectPaths(output.value, files);
            }
        }
        plan.jobOutputFiles.push_back(std::move(files));
    }
    return plan;
}

void storeCachedRecord(Rilk::BuildCache& cache, const std::string& uniqueName,
                       const JobPlan& plan) {
    Rilk::RecordContents contents;
    for (const Rilk::WorkItem& item : plan.workItems) contents.add(item);
    contents.context = plan.contextAssignments;
    cache.upsert(uniqueName, contents, plan.claimToken);
}
