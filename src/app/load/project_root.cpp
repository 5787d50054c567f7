// Settling the project root and finding the main project file.
#include "app/load/project_root.h"

#include <climits>
#include <filesystem>
#include <string>
#include <system_error>

#include <fmt/format.h>

#include "app/load/project_file_loader.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace {

/// Whether `dir` holds anything named like a project file; throws when that cannot be told.
bool holdsProjectFile(const fs::path& dir) {
    const fs::path file = dir / Rilk::kProjectFileName;
    std::error_code error;
    const bool found = fs::exists(file, error);
    if (!error) return found;
    std::string message =
        fmt::format("Cannot look for the project file '{}': {}.", file.string(), error.message());
    if (error == std::errc::filename_too_long && file.native().size() >= PATH_MAX) {
        message += fmt::format(
            " Its path has {} bytes, more than the system takes ({}); move the project to a "
            "shorter path.",
            file.native().size(), PATH_MAX - 1);
    }
    throw Rilk::RilkException(message);
}

/// The nearest directory from `dir` upward that holds anything named like a project
/// file (a directory of that name included); empty when none does, the root included.
fs::path searchUpward(fs::path dir) {
    for (;;) {
        if (holdsProjectFile(dir)) return dir;
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
