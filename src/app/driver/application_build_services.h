#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/build/target_build_services.h"
#include "app/cache/file/build_cache.h"
#include "app/cache/planning/job_plan.h"
#include "app/driver/project_caches.h"
#include "app/jobs/run_journal.h"
#include "app/load/workspace.h"
#include "app/toolbox/best_tool.h"
#include "app/toolbox/tool_map.h"

namespace Rilk {

/// The target build's services over the run's own objects: the workspace's unit index and
/// the runtime context of each project (or the implicit context without project), the
/// tool map with its weights, the build caches of the projects (null: none) with `-j`, and
/// the job runner with the run's journal (null: none).
class ApplicationBuildServices : public TargetBuildServices {
public:
    ApplicationBuildServices(const Workspace& workspace, const ToolMap& tools,
                             const MatchWeights& weights, ProjectCaches* caches, std::int32_t jobs,
                             RunJournal* journal = nullptr)
        : workspace_(workspace),
          tools_(tools),
          weights_(weights),
          caches_(caches),
          jobs_(jobs),
          journal_(journal) {}

    FoundTarget findTarget(QualifiedTargetName& name) override;
    const Context& inheritedContext(const std::string& ns) override;
    const std::set<Util::CiString>& commandLineNames() const override {
        return workspace_.commandLineNames;
    }
    const Matcher* findBestTool(const TargetContext& target) override;
    std::string noToolReason(const TargetContext& target) override;
    JobPlan planJobs(Builder& builder, const ContextPtr& target) override;
    void runBuildJobs(Builder& builder, const JobPlan& plan, const Util::CiString& label,
                      const std::string& uniqueName, Context& output) override;

private:
    /// Takes in the records that runs nested in the jobs stored, then stores the record of
    /// the jobs that finished.
    void storeRecord(const JobPlan& plan, const JobsStart& start,
                     const std::vector<bool>& finished);

    const Workspace& workspace_;
    const ToolMap& tools_;
    MatchWeights weights_;
    ProjectCaches* caches_;
    std::int32_t jobs_;
    RunJournal* journal_;
};

}  // namespace Rilk
