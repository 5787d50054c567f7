#pragma once

#include <filesystem>
#include <string>

#include "app/load/workspace.h"
#include "types/unit.h"

namespace Rilk {

/// Loads the unit file of a run without project once per path and registers it under
/// `ns`; a file that declares no unit gets the next number of `unnamedUnitCounter` as its
/// name. A path loaded before is only looked up again.
UnitPtr loadUnitFile(Workspace& workspace, const std::filesystem::path& path,
                     const std::string& ns);

/// Loads and registers every unit of `project`, merging the files of each unit. The main
/// project's units are loaded once; its first unit is also registered as "1".
void loadProjectUnits(Workspace& workspace, const ProjectPtr& project);

/// `loadProjectUnits` for `project`, then, depth first, for every project it imports
/// (once each).
void loadProjectTreeUnits(Workspace& workspace, const ProjectPtr& project);

}  // namespace Rilk
