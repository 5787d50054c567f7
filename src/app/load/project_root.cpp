// Settling the project root and finding the main project file.
#include <filesystem>

#include "app/load/project_file_loader.h"
#include "app/driver/rilk_app.h"
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

void RilkApplication::findProjectFile() {
    if (unitFileMode == 1) {
        projectRoot = unitFile.parent_path();
    } else if (unitFileMode == 0) {
        const fs::path found = searchUpward(fs::current_path());
        if (!found.empty()) {
            Rilk::log(Rilk::LogLevel::Trace, "Found a project file at {}\n", found.string());
            projectRoot = found;
            projectFile = found / Rilk::kProjectFileName;
        } else {
            Rilk::log(Rilk::LogLevel::Trace, "No project file.\n");
            projectRoot =
                fs::exists(unitFile) ? fs::absolute(unitFile).parent_path() : fs::current_path();
        }
    }
    Rilk::log(Rilk::LogLevel::Trace, "Setting project root to {}\n", projectRoot.string());
}
