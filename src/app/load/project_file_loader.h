#pragma once

#include <filesystem>

#include "app/load/project.h"
#include "parser/RilkTopParser.h"
#include "types/project_data.h"

namespace Rilk {

/// The name of every project file.
inline constexpr const char* kProjectFileName = ".rilk_project.txt";

/// Reads the file named by `project.projectFile` and fills the project from it: the
/// declared name, the name (only when the project has none yet), imports, tool definitions,
/// profiles and units. `importedProjects` is emptied; `projectFile` and `activeProfile` stay.
///
/// Throws `NotFoundException` ("Project file") when the path is not a readable regular
/// file, `std::runtime_error` with the first lexical or syntax error as
/// "<file>(<line>,<column>): ...", and whatever the model-building visit throws.
void loadProjectFile(Project& project);

/// The project data of a parsed project file. `directory` is the project file's directory,
/// against which relative paths are taken; `source` names the file in messages. A tree
/// without its project node fails with `std::runtime_error` "Unable to parse project file.".
ProjectData visitProjectTree(RilkTopParser::ProjFileContext* tree,
                             const std::filesystem::path& directory,
                             const std::filesystem::path& source);

}  // namespace Rilk
