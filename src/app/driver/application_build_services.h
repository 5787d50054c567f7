#pragma once

#include "app/build/target_build_services.h"

class RilkApplication;

/// The target build's services over the application's own state: its unit index, the
/// runtime context of each project (or the implicit context without project), its tool
/// map, its build cache and `-j`, and the job runner.
class ApplicationBuildServices : public TargetBuildServices {
public:
    explicit ApplicationBuildServices(RilkApplication& app) : app_(app) {}

    FoundTarget findTarget(Rilk::QualifiedTargetName& name) override;
    const Rilk::Context& inheritedContext(const std::string& ns) override;
    const Rilk::Matcher* findBestTool(const Rilk::TargetContext& target) override;
    JobPlan planJobs(Rilk::Builder& builder, const Rilk::ContextPtr& target) override;
    void runBuildJobs(Rilk::Builder& builder, const JobPlan& plan, const Util::CiString& label,
                      Rilk::Context& output) override;
    void storeRecord(const std::string& uniqueName, const JobPlan& plan) override;

private:
    RilkApplication& app_;
};
