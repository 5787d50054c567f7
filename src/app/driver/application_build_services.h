#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/build/target_build_services.h"
#include "app/cache/planning/target_work.h"
#include "app/cache/record_places.h"
#include "app/driver/project_journals.h"
#include "app/load/workspace.h"
#include "app/toolbox/best_tool.h"
#include "app/toolbox/tool_map.h"

namespace Rilk {

/// The target build's services over the run's own objects: the workspace's unit index and
/// the runtime context of each project (or the implicit context without project), the
/// tool map with its weights, and the one owner of a target's cached work over the places of
/// the run's records (its projects' caches) with `-j`. It is the job runner that owner is
/// given: the jobs group's, with the journal of the target's project (`ProjectJournals`;
/// null: none) and its stop signals.
class ApplicationBuildServices : public TargetBuildServices, private JobRunner {
public:
    ApplicationBuildServices(const Workspace& workspace, const ToolMap& tools,
                             const MatchWeights& weights, RecordPlaces& records, std::int32_t jobs,
                             ProjectJournals* journals = nullptr)
        : workspace_(workspace),
          tools_(tools),
          weights_(weights),
          journals_(journals),
          work_(records, *this, static_cast<std::uint64_t>(jobs)) {}

    FoundTarget findTarget(QualifiedTargetName& name) override;
    const Context& inheritedContext(const std::string& ns) override;
    const std::set<Util::CiString>& commandLineNames() const override {
        return workspace_.commandLineNames;
    }
    const Matcher* findBestTool(const TargetContext& target) override;
    std::string whyNoTool(const TargetContext& target) override;
    JobPlan runTargetWork(Builder& builder, const std::shared_ptr<TargetContext>& target,
                          const Util::CiString& label, Context& output) override;

private:
    /// `JobRunner`: an interrupt that came while no command ran ends the build here.
    void stopIfAsked() override;
    /// `JobRunner`: `Rilk::runBuildJobs` with the journal of the target's project.
    void run(Builder& builder, const JobPlan& plan, const Util::CiString& label, Context& output,
             std::vector<bool>& finished) override;

    const Workspace& workspace_;
    const ToolMap& tools_;
    MatchWeights weights_;
    ProjectJournals* journals_;
    /// The namespace of the target whose work runs.
    const std::string* targetNamespace_ = nullptr;
    TargetWork work_;
};

}  // namespace Rilk
