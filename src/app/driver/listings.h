#pragma once

#include <string>

#include "app/load/project.h"
#include "app/load/unit_index.h"

namespace Rilk {

/// `-l`: prints the targets of the unit `unitName` of namespace `ns`, in name order, one
/// per line; the unit's default target in colour 32 whatever the threshold, the others at
/// level `Info`. An unknown unit fails with the index's `NotFoundException`. Returns 0.
int listTargets(const UnitIndex& index, std::string ns, std::string unitName);

/// `-u`: prints the project's unit names in the order of its project file at level `Info` and
/// returns 0; without a project (null) says so at level `Error` and returns -1.
int listUnits(const Project* project);

/// `-p`: prints the project's profile names in name order at level `Info` and returns 0;
/// without a project (null) says so at level `Error` and returns -1.
int listProfiles(const Project* project);

}  // namespace Rilk
