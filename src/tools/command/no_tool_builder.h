#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/builder.h"

namespace Rilk {

/// The builder of the no-tool: it plans nothing, makes no recipes and has no outputs of
/// its own, so a target built with it only gathers its dependencies and passes its
/// output variables on. It never looks at its job contexts, so its job holds only the
/// target's name rather than a copy of the whole target (`wholeTargetJob`).
class NoToolBuilder : public Builder {
public:
    NoToolBuilder();

    /// "no_tool".
    std::string name() const override;
    void beginBuild(Context& firstJob, const std::size_t& jobCount) override;
    void endBuild() override;
    /// An empty context.
    Context collectOutputs(const Context& job, int jobResult) override;
    /// An empty plan built in one job.
    BuildPlan planBuild(const TargetContext& target) override;
    /// A context with only the target's name: a target gathering many dependencies would
    /// cost a deep copy of all their outputs.
    ContextPtr wholeTargetJob(const TargetContext& target) const override;
    /// No recipes.
    std::vector<Recipe> createRecipes(const Context& job) override;
};

}  // namespace Rilk
