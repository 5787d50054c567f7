#pragma once

#include "app/load/load_options.h"
#include "app/load/workspace.h"
#include "types/context.h"

namespace Rilk {

/// Without a project: fills `implicitContext` with the implicit variables and, unless
/// `-c` was given, the command-line assignments on top (noted in `commandLineNames`; an
/// "=" replaces the variable whole, see `applyCommandLineAssignment`).
void applyDefaultProfile(Workspace& workspace, const LoadOptions& options);

/// The context `project`'s targets start from: the implicit variables, project_root, the
/// "default" profile, the active profile and PROFILE, each by its own operator, and (unless
/// `-c`) the command-line assignments, of which an "=" replaces the variable whole (see
/// `applyCommandLineAssignment`). It holds its own copies of the values.
Context createImplicitContextForProject(const Workspace& workspace, const LoadOptions& options,
                                        const ProjectPtr& project);

/// Refills `runtimeContexts` for the main project and, depth first, every imported one,
/// and `commandLineNames`.
/// A namespace used twice fails with "Project namespace '...' is used more than once.".
void createProjectRuntimeContexts(Workspace& workspace, const LoadOptions& options);

}  // namespace Rilk
