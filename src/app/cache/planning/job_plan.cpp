#include "app/cache/planning/job_plan.h"

#include <algorithm>
#include <cstddef>
#include <typeinfo>
#include <utility>
#include <vector>

#include "app/cache/built_dependencies.h"
#include "app/cache/planning/planning_through_cache.h"
#include "app/cache/work_item_stamps.h"
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

/// The assignment with a value of its own: a plan shares the target's values, which go on
/// to the target's outputs and may change there; the record must keep what was planned.
Rilk::Assignment ownCopy(const Rilk::Assignment& assignment) {
    Rilk::Assignment copy = assignment;
    copy.value = Rilk::independentCopy(assignment.value);
    return copy;
}

/// The work item's planned values, copied for the record.
Rilk::WorkItem recordedCopy(const Rilk::WorkItem& item) {
    Rilk::WorkItem copy;
    copy.outputs.reserve(item.outputs.size());
    for (const Rilk::Assignment& output : item.outputs) copy.outputs.push_back(ownCopy(output));
    copy.inputs.reserve(item.inputs.size());
    for (const Rilk::WorkItemEntry& entry : item.inputs) {
        Rilk::WorkItemEntry& kept =
            copy.inputs.emplace_back(ownCopy(entry.input), ownCopy(entry.intermediate()));
        kept.intermediateFlag = entry.intermediateFlag;
    }
    return copy;
}

}  // namespace

JobPlan uncachedJobPlan(const Rilk::ContextPtr& target) {
    JobPlan plan;
    plan.jobContexts.push_back(target);
    return plan;
}

JobPlan cachedJobPlan(Rilk::BuildCache& cache, Rilk::Builder& builder,
                      const Rilk::ContextPtr& target, std::uint64_t requestedJobs,
                      std::string_view recordNamespace) {
    const Rilk::TargetContext* targetContext = asTargetContext(target.get());
    if (targetContext == nullptr) return uncachedJobPlan(target);
    return Rilk::planThroughCache(cache, builder, *targetContext, requestedJobs, recordNamespace);
}

JobsStart::JobsStart(const JobPlan& plan) : time_(0) {
    // A target that builds nothing (a no-op build's every target) pays nothing here.
    if (plan.jobItems.empty()) return;
    time_ = wallClockNanoseconds();
    inputStamps_.resize(plan.workItems.size());
    for (const std::vector<std::size_t>& items : plan.jobItems) {
        for (const std::size_t position : items) {
            inputStamps_.at(position) = stampInputFiles(plan.workItems[position]);
        }
    }
}

const std::vector<RecordedStamp>& JobsStart::inputStamps(std::size_t position) const {
    static const std::vector<RecordedStamp> none;
    return position < inputStamps_.size() ? inputStamps_[position] : none;
}

void storeCachedRecord(Rilk::CacheRecords& cache, const std::string& uniqueName,
                       const JobPlan& plan, const JobsStart& start,
                       const std::vector<bool>& finished) {
    if (plan.claimToken == 0) return;
    // A run in which none of the target's work finished leaves its record as it was: it
    // claims nothing of the files the failed jobs changed, and those jobs removed them.
    if (!plan.jobItems.empty() && std::find(finished.begin(), finished.end(), true) == finished.end()) {
        return;
    }
    // Whether each work item was built in this run, and whether that build finished.
    std::vector<char> built(plan.workItems.size(), 0);
    std::vector<char> done(plan.workItems.size(), 0);
    for (std::size_t job = 0; job < plan.jobItems.size(); ++job) {
        const bool ok = job < finished.size() && finished[job];
        for (const std::size_t position : plan.jobItems[job]) {
            built.at(position) = 1;
            done.at(position) = ok ? 1 : 0;
        }
    }
    Rilk::RecordContents contents;
    for (std::size_t i = 0; i < plan.workItems.size(); ++i) {
        const Rilk::WorkItem& item = plan.workItems[i];
        Rilk::WorkItem copy = recordedCopy(item);
        if (!built[i]) {
            // Up to date: what its last build left stays true.
            copy.filesRead = item.filesRead;
            copy.stamps = item.stamps;
        } else if (done[i]) {
            copy.filesRead = Rilk::readBuiltDependencies(item);
            copy.stamps = Rilk::stampBuiltWorkItem(item, start.inputStamps(i), copy.filesRead,
                                                   start.time());
        }
        contents.add(std::move(copy));
    }
    contents.context.reserve(plan.contextAssignments.size());
    for (const Rilk::Assignment& assignment : plan.contextAssignments) {
        contents.context.push_back(ownCopy(assignment));
    }
    cache.upsert(uniqueName, contents, plan.claimToken);
}

}  // namespace Rilk
