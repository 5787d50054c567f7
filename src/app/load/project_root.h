#pragma once

#include "app/load/load_options.h"
#include "app/load/workspace.h"

namespace Rilk {

/// Settles `projectRoot` and, when a project file is found, `projectFile`: with -f the
/// unit file's directory and no project; with -c nothing; otherwise the nearest directory
/// upward from the working directory that holds a project file, or without one the unit
/// file's directory (when it exists) or the working directory.
void settleProjectRoot(Workspace& workspace, const LoadOptions& options);

}  // namespace Rilk
