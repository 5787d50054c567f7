#pragma once

#include <vector>

#include "app/load/project.h"

namespace Rilk {

class RilkRegistry;

/// Loads the projects `project` imports and, depth first, theirs into its
/// `importedProjects`; a project imported by name is looked up in `registry` (null when
/// there is none). Each imported project is named by its project file's path with links
/// resolved. A file imported again under the namespace and in the profile it was loaded
/// with is the project loaded then, shared by both importers; two projects under one
/// namespace are refused, and so is an import that would bring a project back in under
/// the same active profile while it is being imported, as a cycle.
void resolveProjectImports(const ProjectPtr& project, const RilkRegistry* registry);

/// Every project `project` imports, directly or not, each once (a project shared by two
/// importers included), depth first in import order.
std::vector<ProjectPtr> importedProjectsOf(const Project& project);

}  // namespace Rilk
