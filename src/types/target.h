#pragma once

#include <string>
#include <vector>

#include "types/context_template.h"
#include "types/dependency.h"
#include "types/qualified_target_name.h"

namespace Rilk {

/// One target of a unit file: the template of its variable block (assignments and
/// conditional blocks, from which each build of the target makes its context), its
/// qualified name, the names of its parameters and its dependency records, all in the
/// order they are written. A target is a template, never a context itself.
///
/// Only a build reads the variable block and the dependency records. A target without
/// parameters has a single instance, so a build run gives them up once that instance is
/// built (`releaseBody`); its name and parameter names stay for lookups.
class Target : public ContextTemplate {
public:
    /// Drops the variable block (assignments and conditions) and the dependency records,
    /// giving their memory back, and marks the body as released. Keeps `name` and
    /// `parameterNames`, which lookups of the target read. Conditional bodies shared with
    /// contexts made from the target live on in those contexts.
    void releaseBody();
    /// Hands the variable block's assignments over to the one context that will be made
    /// from the target, and marks the body as released: the dependency records stay in place
    /// until `releaseBody`, for that context to read.
    std::vector<Assignment> takeAssignments();
    /// Whether `releaseBody` or `takeAssignments` was called: the target can no longer be
    /// built.
    bool bodyReleased() const { return bodyReleased_; }

    /// `name.ns` is the namespace of the declaring project, `name.unit` the unit declared
    /// by the file (empty without one), `name.target` the target name as written.
    QualifiedTargetName name;
    /// The names in parentheses after the target name; empty without a parameter list.
    std::vector<std::string> parameterNames;
    std::vector<Dependency> dependencies;

private:
    bool bodyReleased_ = false;
};

}  // namespace Rilk
