#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/builder.h"

namespace Rilk {

/// The builder of the command tool: a target's variable "cmdline" holds the shell
/// command lines to run (one string, or a list of them run in order) and "cwd" the
/// directory they run in.
///
/// Its plan keeps the target's output variables ('^') as the outputs of one work item,
/// whose inputs are the target's other variables, so the build cache can tell when the
/// commands must run again; a target without outputs gets an empty plan and is built
/// from its own context every time.
class BasicBuilder : public Builder {
public:
    BasicBuilder();

    /// "cmdline".
    std::string name() const override;
    /// The outputs ('^') name the files the command writes.
    std::string unwrittenOutputHint() const override;
    void beginBuild(Context& firstJob, const std::size_t& jobCount) override;
    void endBuild() override;
    /// "result" = the job's result, as an integer.
    Context collectOutputs(const Context& job, int jobResult) override;
    BuildPlan planBuild(const TargetContext& target) override;
    /// One recipe per command line of the job's "cmdline", in order, run in "cwd". A job
    /// without "cmdline" raises `NotFoundException`; a "cmdline" without value, or of a
    /// value that is neither a string nor a list, gives no recipes.
    std::vector<Recipe> createRecipes(const Context& job) override;

    /// The variable that holds the command lines.
    std::string commandVariable = "cmdline";
    /// The kind of every recipe made.
    std::int32_t recipeKind = Recipe::Run;
};

}  // namespace Rilk
