#include "app/driver/application_build_services.h"

#include "app/cache/file_time_prefetch.h"
#include "app/cache/path_stamp.h"
#include "app/cache/planning/job_plan.h"
#include "app/jobs/build_interrupt.h"
#include "app/jobs/build_jobs.h"
#include "app/toolbox/no_tool_reason.h"
#include "types/rilk_errors.h"
#include "types/value_utils.h"

namespace Rilk {
namespace {

/// The name a unit is registered under in its namespace, never the main unit's alias "1"
/// when it has another one.
const std::string& registeredUnitName(const std::map<Util::CiString, Rilk::UnitPtr>& units,
                                      const Util::CiString& found) {
    const auto entry = units.find(found);
    if (entry == units.end()) throw Rilk::InternalError();
    for (const auto& [name, registered] : units) {
        if (registered == entry->second && name.str() != "1") return name.str();
    }
    return entry->first.str();
}

}  // namespace

FoundTarget ApplicationBuildServices::findTarget(Rilk::QualifiedTargetName& name) {
    Rilk::Target& target = workspace_.unitIndex.findTarget(name);
    const auto space = workspace_.unitIndex.namespaces.find(name.ns);
    return {&target, Rilk::QualifiedTargetName(space->first.str(),
                                               registeredUnitName(space->second, name.unit),
                                               target.name.target)};
}

const Rilk::Context& ApplicationBuildServices::inheritedContext(const std::string& ns) {
    if (!workspace_.project) return workspace_.implicitContext;
    const auto found = workspace_.runtimeContexts.find(ns);
    if (found == workspace_.runtimeContexts.end()) {
        throw Rilk::NotFoundException("project namespace", ns);
    }
    return found->second.context;
}

const Rilk::Matcher* ApplicationBuildServices::findBestTool(const Rilk::TargetContext& target) {
    return bestTool(tools_, weights_, target);
}

std::string ApplicationBuildServices::noToolReason(const Rilk::TargetContext& target) {
    return Rilk::noToolReason(tools_, target);
}

JobPlan ApplicationBuildServices::planJobs(Rilk::Builder& builder, const Rilk::ContextPtr& target) {
    // An interrupt that came while no command ran ends the build before the next target.
    throwIfInterrupted();
    if (!caches_) return uncachedJobPlan(target);
    const auto jobs = static_cast<std::uint64_t>(jobs_);
    if (caches_->allOwn()) return cachedJobPlan(*caches_->own(), builder, target, jobs);
    const auto* named = dynamic_cast<const Rilk::TargetContext*>(target.get());
    const ProjectCaches::Route route = caches_->routeOf(named ? named->name.ns : "");
    return cachedJobPlan(*route.cache, builder, target, jobs, route.recordNamespace);
}

void ApplicationBuildServices::runBuildJobs(Rilk::Builder& builder, const JobPlan& plan,
                                            const Util::CiString& label,
                                            const std::string& /*uniqueName*/,
                                            Rilk::Context& output) {
    throwIfInterrupted();
    // The jobs may move directories the cache comparison keeps open, and change the files
    // whose stamps were read ahead.
    if (!plan.jobContexts.empty()) {
        Rilk::forgetOpenDirectories();
        Rilk::dropFileTimePrefetch();
    }
    const JobsStart start(plan);
    std::vector<bool> finished;
    try {
        Rilk::runBuildJobs(builder, plan.jobContexts, label, output, plan.jobOutputFiles,
                           journal_, &finished);
    } catch (...) {
        storeRecord(plan, start, finished);
        throw;
    }
    storeRecord(plan, start, finished);
}

void ApplicationBuildServices::storeRecord(const JobPlan& plan, const JobsStart& start,
                                           const std::vector<bool>& finished) {
    if (!caches_) return;
    if (!plan.jobContexts.empty()) {
        // The commands may have changed the cache files under the records held as their
        // bytes, and a run nested in them may have stored newer records of other targets.
        caches_->afterCommands();
    }
    if (plan.claimToken == 0 || plan.recordCache == nullptr) return;
    // The jobs may have moved directories kept open since the start.
    if (!plan.jobContexts.empty()) Rilk::forgetOpenDirectories();
    storeCachedRecord(*plan.recordCache, plan.recordKey, plan, start, finished);
}

}  // namespace Rilk
