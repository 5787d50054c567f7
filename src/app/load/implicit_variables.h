#pragma once

#include "app/load/workspace.h"

namespace Rilk {

/// Fills the workspace's `implicitVariables`: os_family, year, month, day, project_root,
/// output_def_dir and cwd.
void addImplicitVariables(Workspace& workspace);

}  // namespace Rilk
