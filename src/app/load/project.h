#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "types/build_tool_definition.h"
#include "types/profile.h"
#include "types/project_import.h"
#include "util/ci_string.h"

namespace Rilk {

class Project;
using ProjectPtr = std::shared_ptr<Project>;

/// One loaded project: the file it was read from and what that file declares. The main
/// project and every imported project are one of these; `loadProjectFile` fills it.
class Project {
public:
    /// The unit files listed for one unit name, as written in the project file.
    using UnitEntry = std::pair<std::string, std::vector<std::filesystem::path>>;

    /// A project for `projectFile` under the namespace `name`; everything else starts empty.
    Project(std::filesystem::path projectFile, std::string name)
        : projectFile(std::move(projectFile)), name(std::move(name)) {}

    /// The name of the first entry of `units`, the project's main unit; empty when the
    /// project lists no unit.
    std::string firstUnitName() const { return units.empty() ? "" : units.front().first; }

    std::filesystem::path projectFile;
    /// The project's namespace in qualified target names. An importer's namespace for it
    /// takes precedence over the name written in the file.
    std::string name;
    /// The name written in the file: the namespace of the project's targets in a run of its
    /// own, which its build cache keeps their records under.
    std::string declaredName;
    /// The file's import section, in file order.
    std::vector<ProjectImport> imports;
    /// The projects loaded for `imports`, in import order. A project reached by several
    /// imports under one namespace is one object, shared by its importers.
    std::vector<ProjectPtr> importedProjects;
    /// The file's tool definitions, in file order; each carries its name.
    std::vector<BuildToolDefinition> toolDefinitions;
    /// The file's profiles by name; of two names equal ignoring case the later one stays.
    std::map<Util::CiString, Profile> profiles;
    /// The file's units section, in file order. Relative paths are relative to the
    /// directory of `projectFile`.
    std::vector<UnitEntry> units;
    /// The profile in force for this project; empty until one is selected.
    std::string activeProfile;
};

}  // namespace Rilk
