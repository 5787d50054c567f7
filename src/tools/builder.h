#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/build_plan.h"
#include "tools/match_result.h"
#include "tools/recipe.h"
#include "tools/tool_tables.h"
#include "tools/variable_spec.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// Turns one target into work: classifies the target's variables, plans how its work is
/// divided into work items, prepares the build, turns each job into recipes and derives
/// each job's output variables.
///
/// The driver calls, for one target and on the main thread: `selectMatchSubject` (tool
/// report), `planBuild` on the resolved target context, then — when there are jobs —
/// `beginBuild` once, `createRecipes` for every job before any job runs, `collectOutputs`
/// per job only when every job succeeded, and `endBuild` once (also after a failed job,
/// never when `beginBuild` threw). One builder may serve many targets, one after another;
/// it may keep state from `beginBuild` to `endBuild`. Job threads never call a builder.
class Builder {
public:
    /// The variables whose values are the builder's input files; an entry with a value
    /// asks for that value.
    AssignmentTable inputVariables;
    /// Every variable the builder understands, with its own value and match weights.
    VariableSpecTable declaredVariables;

    Builder(AssignmentTable inputVariables, VariableSpecTable declaredVariables);
    virtual ~Builder() = default;

    /// How many of the target's own variables (not its output variables) the builder reads or
    /// declares: how near it comes to building the target, for the report of a refusal.
    int knownVariables(const Context& target) const;

    /// The name shown as the tool in the driver's report.
    virtual std::string name() const;
    /// The sentence that ends the warning about a file the target's outputs name but its
    /// commands, succeeding, did not write: where the file's name comes from. Default: the
    /// tool names it, and flags that send its program's output elsewhere leave it unwritten.
    virtual std::string unwrittenOutputHint() const;
    /// Called once before any recipe of the target is made.
    virtual void beginBuild(Context& firstJob, const std::size_t& jobCount) = 0;
    /// Called once after the target's jobs.
    virtual void endBuild() = 0;
    /// The output variables of one finished job.
    virtual Context collectOutputs(const Context& job, int jobResult) = 0;
    /// Whether the target is a match subject for this builder (status) and how each of its
    /// variables fits (entries). The default refuses a target that defines one of the
    /// input variables as an output variable ('^') and classifies every variable.
    virtual MatchResult selectMatchSubject(const Context& target) const;
    /// The work items of the target, the variables they depend on and the job cap.
    virtual BuildPlan planBuild(const TargetContext& target) = 0;
    /// The one job of a target whose plan has no work items, built on the target's context:
    /// by default a copy of that context under the target's name. A builder that never looks
    /// at its job may give one holding less.
    virtual ContextPtr wholeTargetJob(const TargetContext& target) const;
    /// The commands of one job, in run order.
    virtual std::vector<Recipe> createRecipes(const Context& job) = 0;

    /// Fills `result.variables` with one entry per variable of `target` (leaving the
    /// status alone): its match kind against this builder's value for it and whether the
    /// builder consumes it (claimed).
    void classifyVariables(MatchResult& result, const AssignmentTable& target) const;
};

}  // namespace Rilk
