#include "app/cache/planning/job_context_split.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "types/value_utils.h"

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

void splitJobContexts(const Rilk::TargetContext& target,
                      const std::vector<Rilk::WorkItem>& workItems,
                      const std::vector<Rilk::Assignment>& common,
                      const std::vector<std::size_t>& pending, std::uint64_t requestedJobs,
                      JobPlan& plan) {
    if (pending.empty() || requestedJobs == 0) return;
    const std::size_t jobCount =
        static_cast<std::size_t>(std::min<std::uint64_t>(pending.size(), requestedJobs));
    std::size_t next = 0;
    for (std::size_t k = 0; k < jobCount; ++k) {
        const std::size_t take = pending.size() / jobCount + (k < pending.size() % jobCount ? 1 : 0);
        auto job = std::make_shared<Rilk::TargetContext>(Rilk::Context(), target.name);
        job->parameterText = target.parameterText;
        std::vector<std::size_t>& items = plan.jobItems.emplace_back();
        std::vector<std::filesystem::path>& files = plan.jobOutputFiles.emplace_back();
        for (const std::size_t end = next + take; next < end; ++next) {
            const Rilk::WorkItem& item = workItems.at(pending[next]);
            items.push_back(pending[next]);
            for (const auto& entry : item.inputs) contribute(*job, contributionOf(entry));
            for (const Rilk::Assignment& output : item.outputs) {
                Rilk::collectPaths(output.value, files);
            }
        }
        for (const Rilk::Assignment& assignment : common) contribute(*job, assignment);
        plan.jobContexts.push_back(std::move(job));
    }
}

}  // namespace Rilk
