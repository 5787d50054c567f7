// Settling the project root and finding the main project file.
#include "app/load/project_root.h"

#include <filesystem>

#include "app/load/project_file_loader.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace {

/// The nearest directory from `dir` upward that holds anything named like a project
/// file (a directory of that name included); empty when none does, the root included.
fs::path searchUpward(fs::path dir) {
    for (;;) {
        if (fs::exists(dir / Rilk::kProjectFileName)) return dir;
        if (dir == dir.root_path()) return {};
        dir = dir.parent_path();
    }
}

}  // namespace

namespace Rilk {

void settleProjectRoot(Workspace& workspace, const LoadOptions& options) {
    const fs::path& unitFile = options.unitFile;
    fs::path& projectRoot = workspace.projectRoot;
    if (options.unitFileMode == UnitFileMode::File) {
        projectRoot = unitFile.parent_path();
    } else if (options.unitFileMode == UnitFileMode::Search) {
        const fs::path found = searchUpward(fs::current_path());
        if (!found.empty()) {
            Rilk::log(Rilk::LogLevel::Trace, "Found a project file at {}\n", found.string());
            projectRoot = found;
            workspace.projectFile = found / Rilk::kProjectFileName;
        } else {
            Rilk::log(Rilk::LogLevel::Trace, "No project file.\n");
            projectRoot =
                fs::exists(unitFile) ? fs::absolute(unitFile).parent_path() : fs::current_path();
        }
    }
    Rilk::log(Rilk::LogLevel::Trace, "Setting project root to {}\n", projectRoot.string());
}

}  // namespace Rilk
