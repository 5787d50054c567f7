#include "app/jobs/job_plan.h"

#include <cstddef>
#include <filesystem>
#include <typeinfo>
#include <utility>
#include <vector>

#include "app/cache/built_dependencies.h"
#include "app/cache/planning_through_cache.h"
#include "app/jobs/job_context_split.h"
#include "types/rilk_context_value.h"
#include "types/value_utils.h"

namespace Rilk {

namespace {

/// The context as a target context, or null: a target build's own context is exactly one,
/// which a type test tells faster than a cast through the class tree.
const Rilk::TargetContext* asTargetContext(const Rilk::Context* context) {
    if (context != nullptr && typeid(*context) == typeid(Rilk::TargetContext)) {
        return static_cast<const Rilk::TargetContext*>(context);
    }
    return dynamic_cast<const Rilk::TargetContext*>(context);
}

}  // namespace

JobPlan cachedJobPlan(Rilk::BuildCache& cache, Rilk::Builder& builder,
                      const Rilk::ContextPtr& target, std::uint64_t requestedJobs) {
    const Rilk::TargetContext* targetContext = asTargetContext(target.get());
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

namespace {

/// The assignment with a value of its own: a plan shares the target's values, which go on
/// to the target's outputs and may change there; the record must keep what was planned.
Rilk::Assignment ownCopy(const Rilk::Assignment& assignment) {
    Rilk::Assignment copy = assignment;
    copy.value = Rilk::independentCopy(assignment.value);
    return copy;
}

}  // namespace

void storeCachedRecord(Rilk::BuildCache& cache, const std::string& uniqueName,
                       const JobPlan& plan) {
    Rilk::RecordContents contents;
    for (const Rilk::WorkItem& item : plan.workItems) {
        Rilk::WorkItem copy;
        copy.outputs.reserve(item.outputs.size());
        for (const Rilk::Assignment& output : item.outputs) copy.outputs.push_back(ownCopy(output));
        copy.inputs.reserve(item.inputs.size());
        for (const Rilk::WorkItemEntry& entry : item.inputs) {
            Rilk::WorkItemEntry& kept = copy.inputs.emplace_back(ownCopy(entry.input),
                                                                 ownCopy(entry.intermediate()));
            kept.intermediateFlag = entry.intermediateFlag;
        }
        // An item built in this run reads what its build wrote; one that was up to date
        // keeps the files its record named.
        copy.filesRead = item.filesRead ? item.filesRead : Rilk::readBuiltDependencies(item);
        contents.add(std::move(copy));
    }
    contents.context.reserve(plan.contextAssignments.size());
    for (const Rilk::Assignment& assignment : plan.contextAssignments) {
        contents.context.push_back(ownCopy(assignment));
    }
    cache.upsert(uniqueName, contents, plan.claimToken);
}

}  // namespace Rilk
