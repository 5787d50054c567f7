#pragma once

#include <filesystem>
#include <string>

#include "app/driver/project_tree.h"
#include "app/load/load_options.h"

namespace Rilk {

/// The project-file template for a project named `name`: the name line, then a "units"
/// block with every named unit of `tree` in name order, each with its files. Unit files
/// that declare no unit are left out.
///
/// Throws `RilkException` when the text could not be loaded back: the project name or a
/// unit name is not a valid name of the language, or a path holds a double quote or is
/// not UTF-8.
std::string projectTemplateText(const std::string& name, const ProjectTree& tree);

/// Throws the `RilkException` of `projectTemplateText` when `name` cannot be a project name.
void checkProjectName(const std::string& name);

/// Throws `RilkException` naming `file` when anything exists at that path: a project file
/// is never overwritten by the template.
void checkNoProjectFile(const std::filesystem::path& file);

/// `--create-project`: writes the project-file template ".rilk_project.txt" into the
/// working directory, naming the project `name` (the working directory's name when empty)
/// and listing the unit files found below the project root the options settle. Refuses,
/// writing nothing, when a name or path could not be read back by the project-file loader,
/// or when anything exists at the project file's place, also when another run created it
/// while this one searched: of several runs at once, one writes the file.
void createProjectFile(const LoadOptions& options, const std::string& name);

}  // namespace Rilk
