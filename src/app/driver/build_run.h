#pragma once

#include <memory>

#include "app/cache/file/build_cache.h"
#include "app/driver/command_line.h"
#include "app/driver/project_caches.h"
#include "app/driver/project_journals.h"
#include "app/load/workspace.h"
#include "app/toolbox/tool_map.h"

namespace Rilk {

/// Creates the build cache for the project root and starts reading its file, which the
/// build's load then waits for: the file is read while the units load.
std::unique_ptr<BuildCache> startLoadingCache(const std::filesystem::path& projectRoot);

/// `-d`: every project's runtime context in namespace order, or the implicit context
/// without project, and with `-c` the command-line assignments.
void dumpContexts(const Workspace& workspace, const LoadOptions& options);

/// Builds the main target after everything it depends on: loads the build caches (the own
/// project's started here when none is), settles which one keeps the records of each
/// project's targets, makes the runtime contexts (`-d` shows them), builds, saves the
/// caches and writes the `-o` file. The finished build's state (every target's
/// output context) goes into `finishedBuild`, which the process keeps. Returns 0; every
/// failure is thrown, after the caches are saved with the records of the work that finished.
/// A stop signal during the build ends the process once that is saved
/// (`endInterruptedRun`). The jobs record their outputs in `journals` (when not null), the
/// journal of each target's project, which are finished once the caches are saved.
int runBuild(Workspace& workspace, const ToolMap& tools, ProjectCaches& caches,
             const RunOptions& options, std::shared_ptr<void>& finishedBuild,
             ProjectJournals* journals = nullptr);

}  // namespace Rilk
