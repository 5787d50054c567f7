#include "app/jobs/job_context_split.h"

#include <algorithm>
#include <memory>

namespace Rilk {

namespace {

/// Adds one contribution to a job context: the first value of a name is stored as it is
/// (a copy, so the plan's value is never changed), a further one turns the variable into
/// the list of all contributions.
void contribute(Rilk::Context& job, const Rilk::Assignment& item) {
    if (job.hasVariable(item.name)) {
        job.appendToList({item});
        return;
    }
    job.addAssignment(Rilk::Assignment(item.name, item.value ? item.value->clone() : nullptr,
                                       Rilk::AssignType::Set, item.modifier),
                      Rilk::kKeepModifier);
}

const Rilk::Assignment& contributionOf(const Rilk::WorkItemEntry& entry) {
    return entry.intermediateFlag && entry.hasIntermediate() ? entry.intermediate() : entry.input;
}

}  // namespace

std::vector<std::uint64_t> jobSizes(std::uint64_t items, std::uint64_t requestedJobs) {
    std::vector<std::uint64_t> sizes;
    if (items == 0 || requestedJobs == 0) return sizes;
    const std::uint64_t jobCount = std::min(items, requestedJobs);
    for (std::uint64_t k = 0; k < jobCount; ++k) {
        sizes.push_back(items / jobCount + (k < items % jobCount ? 1 : 0));
    }
    return sizes;
}

std::vector<Rilk::ContextPtr> splitJobContexts(
    const Rilk::TargetContext& target, const std::vector<std::vector<Rilk::WorkItemEntry>>& items,
    const std::vector<Rilk::Assignment>& common, std::uint64_t requestedJobs) {
    std::vector<Rilk::ContextPtr> jobs;
    std::uint64_t next = 0;
    for (const std::uint64_t take : jobSizes(items.size(), requestedJobs)) {
        auto job = std::make_shared<Rilk::TargetContext>(Rilk::Context(), target.name);
        job->parameterText = target.parameterText;
        for (const std::uint64_t end = next + take; next < end; ++next) {
            for (const auto& entry : items[next]) contribute(*job, contributionOf(entry));
        }
        for (const Rilk::Assignment& assignment : common) contribute(*job, assignment);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

}  // namespace Rilk
