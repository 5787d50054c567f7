#include "app/cache/planning/planning_through_cache.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "app/cache/planning/job_context_split.h"
#include "app/cache/record_comparison.h"
#include "types/unique_target_name.h"
#include "util/logger.h"

namespace Rilk {
namespace {

/// How a planned target stands against its record.
enum class Outcome { Hit, Claimed, Unclaimed };

struct Decision {
    Outcome outcome = Outcome::Unclaimed;
    std::uint64_t claimToken = 0;
    /// Positions, in plan order, of the work items to build.
    std::vector<std::size_t> pending;
};

/// Waits, with the record's mutex held by `lock`, until another build's claim ends or one
/// second has passed, and decides what this build does then.
Decision waitForClaim(const std::string& key, RuntimeRecord& record,
                      std::unique_lock<std::mutex>& lock, const RecordContents& plan) {
    record.stored().wait_for(lock, std::chrono::seconds(1),
                           [&] { return record.state != RuntimeRecord::Claimed; });
    if (record.state != RuntimeRecord::Claimed && record.current) return {Outcome::Hit, 0, {}};
    if (record.state != RuntimeRecord::Claimed) {
        log(LogLevel::Debug,
            "Cache record for '{}' was claimed but resulted in invalid recipes upon "
            "completion.\n",
            key);
    }
    // Still claimed: build anyway, without storing; nothing may pass as built unbuilt.
    return {Outcome::Unclaimed, 0, everyWorkItem(plan)};
}

/// Decides on an existing record: a hit, a claim for the stale work items, or a build
/// without a claim. Takes and releases the record's mutex.
Decision decide(CacheRecords& cache, const std::string& key, RuntimeRecord& record,
                RecordContents& plan) {
    std::unique_lock lock(record.mutex());
    if (record.current) {
        if (record.state == RuntimeRecord::Idle) return {Outcome::Hit, 0, {}};
        return waitForClaim(key, record, lock, plan);
    }
    std::vector<std::size_t> pending = cache.staleAgainst(record, plan);
    if (pending.empty()) return {Outcome::Hit, 0, {}};
    if (record.state == RuntimeRecord::Claimed) return waitForClaim(key, record, lock, plan);
    record.claimToken = cache.takeClaimToken();
    record.state = RuntimeRecord::Claimed;
    return {Outcome::Claimed, record.claimToken, std::move(pending)};
}

}  // namespace

std::uint64_t computeParallelism(std::uint64_t requested, std::uint64_t planMaximum,
                                 std::uint64_t pending) {
    if (requested < 2 || planMaximum < 2 || pending < 2) return 1;
    return std::max<std::uint64_t>(1, std::min({requested, planMaximum, pending / 2}));
}

JobPlan planThroughCache(CacheRecords& cache, Builder& builder, const TargetContext& target,
                         std::uint64_t requestedJobs, std::string_view recordNamespace) {
    // The messages name the target as "unit::target", from its two parts.
    const std::string& unit = target.name.unit;
    const std::string& name = target.name.target;
    BuildPlan built = builder.planBuild(target);

    JobPlan plan;
    if (built.workItems.empty()) {
        log(LogLevel::Debug, "Target '{}::{}' not suitable for caching. Using the original context.\n", unit,
            name);
        plan.jobContexts.push_back(builder.wholeTargetJob(target));
        return plan;
    }
    // The builder's plan, taken over by the plan's work: what is compared, split into jobs
    // and, with what the jobs leave, stored.
    RecordContents& contents = plan.work;
    contents.addAll(std::move(built.workItems));
    contents.context = std::move(built.context);

    std::string key =
        recordNamespace.empty()
            ? target.uniqueName()
            : uniqueTargetName({std::string(recordNamespace), unit, name}, target.parameterHash());
    CacheRecords::Lookup lookup = cache.findOrClaim(key);
    Decision decision;
    if (lookup.claimToken != 0) {
        decision = {Outcome::Claimed, lookup.claimToken, everyWorkItem(contents)};
    } else {
        decision = decide(cache, key, *lookup.record, contents);
    }

    switch (decision.outcome) {
        case Outcome::Hit:
            log(LogLevel::Trace, "Cache hit for '{}::{}'.\n", unit, name);
            break;
        case Outcome::Claimed:
            log(LogLevel::Trace, "Cache claimed for '{}::{}'.\n", unit, name);
            plan.claimToken = decision.claimToken;
            plan.recordKey = std::move(key);
            break;
        case Outcome::Unclaimed:
            log(LogLevel::Trace, "Cache miss for '{}::{}'. Building...\n", unit, name);
            break;
    }
    if (decision.pending.empty()) return plan;
    const std::uint64_t jobs =
        computeParallelism(requestedJobs, built.maxParallelJobs, decision.pending.size());
    splitJobContexts(target, contents.workItems(), contents.context, decision.pending, jobs, plan);
    return plan;
}

}  // namespace Rilk
