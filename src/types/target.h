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
class Target : public ContextTemplate {
public:
    /// `name.ns` is the namespace of the declaring project, `name.unit` the unit declared
    /// by the file (empty without one), `name.target` the target name as written.
    QualifiedTargetName name;
    /// The names in parentheses after the target name; empty without a parameter list.
    std::vector<std::string> parameterNames;
    std::vector<Dependency> dependencies;
};

}  // namespace Rilk
