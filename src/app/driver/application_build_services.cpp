#include "app/driver/application_build_services.h"

#include "app/jobs/build_interrupt.h"
#include "app/jobs/build_jobs.h"
#include "app/toolbox/no_tool_reason.h"
#include "types/rilk_errors.h"

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

std::string ApplicationBuildServices::whyNoTool(const Rilk::TargetContext& target) {
    return noToolReason(tools_, target);
}

JobPlan ApplicationBuildServices::runTargetWork(Rilk::Builder& builder,
                                                const std::shared_ptr<Rilk::TargetContext>& target,
                                                const Util::CiString& label,
                                                Rilk::Context& output) {
    targetNamespace_ = &target->name.ns;
    return work_.run(builder, *target, label, output);
}

void ApplicationBuildServices::stopIfAsked() {
    // An interrupt that came while no command ran ends the build before the next target.
    throwIfInterrupted();
}

void ApplicationBuildServices::run(Rilk::Builder& builder, const JobPlan& plan,
                                   const Util::CiString& label, Rilk::Context& output,
                                   std::vector<bool>& finished) {
    RunJournal* journal = journals_ != nullptr && targetNamespace_ != nullptr
                              ? journals_->of(*targetNamespace_)
                              : nullptr;
    runBuildJobs(builder, plan.jobContexts, label, output, plan.jobOutputFiles, journal,
                 &finished);
}

}  // namespace Rilk
