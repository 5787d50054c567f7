#pragma once

#include "app/load/project.h"

namespace Rilk {

class RilkRegistry;

/// Loads the projects `project` imports and, depth first, theirs into its
/// `importedProjects`; a project imported by name is looked up in `registry` (null when
/// there is none). An import that would bring a project back in under the same active
/// profile while it is being imported is refused as a cycle.
void resolveProjectImports(const ProjectPtr& project, const RilkRegistry* registry);

}  // namespace Rilk
