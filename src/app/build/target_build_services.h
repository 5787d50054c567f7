#pragma once

#include <memory>
#include <set>
#include <string>

#include "app/cache/planning/job_plan.h"
#include "tools/builder.h"
#include "tools/matcher.h"
#include "types/rilk_context_types.h"
#include "types/target.h"
#include "util/ci_string.h"

namespace Rilk {

/// A target found for a qualified name: the target itself and the one name that stands
/// for it whatever way it was reached (its project's namespace, its unit's registered name,
/// never the main unit's alias "1", and its own name). The target is not const: the build
/// releases a target's body once its only instance is built.
struct FoundTarget {
    Rilk::Target* target = nullptr;
    Rilk::QualifiedTargetName canonicalName;
};

/// What the recursive target build needs from the rest of the application. The
/// application implements it over its unit index, runtime contexts, tool map, and the one
/// owner of a target's cached work (`Rilk::TargetWork`) with the job runner; tests implement
/// it by hand. The calls come one at a time, from the
/// threads the build runs on one after another (see `TargetBuild::kTargetsPerStack`).
class TargetBuildServices {
public:
    virtual ~TargetBuildServices() = default;

    /// Finds a target, completing an empty namespace or unit of `name` in place from the
    /// defaults (also when the lookup fails). Throws `Rilk::NotFoundException`.
    virtual FoundTarget findTarget(Rilk::QualifiedTargetName& name) = 0;
    /// The runtime context the targets of a namespace start from; it stays as it is during
    /// the build, and targets merge copies of its values. Throws
    /// `Rilk::NotFoundException` ("project namespace") for a namespace without project.
    virtual const Rilk::Context& inheritedContext(const std::string& ns) = 0;
    /// The variables the command line sets in every runtime context. Their values are what
    /// a target's command sees, so they are what its outputs carry too.
    virtual const std::set<Util::CiString>& commandLineNames() const {
        static const std::set<Util::CiString> none;
        return none;
    }
    /// The best registered tool for the target context, or null; the tool map owns it.
    virtual const Rilk::Matcher* findBestTool(const Rilk::TargetContext& target) = 0;
    /// What follows "No tool to build <target>." when `findBestTool` found none: why the
    /// nearest tool refused, starting with a blank. Default: nothing.
    virtual std::string whyNoTool(const Rilk::TargetContext&) { return {}; }
    /// Does the resolved target's work with its builder: plans it, runs its jobs (appending
    /// their outputs to `output`) and, when the plan holds a claim, stores the record of the
    /// work that finished under the target's unique name, whether or not every job
    /// succeeded; a failed job then throws. Returns the plan, whose work items give the
    /// target's outputs.
    virtual JobPlan runTargetWork(Rilk::Builder& builder,
                                  const std::shared_ptr<Rilk::TargetContext>& target,
                                  const Util::CiString& label, Rilk::Context& output) = 0;
};

}  // namespace Rilk
