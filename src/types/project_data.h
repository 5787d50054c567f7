#pragma once

#include <filesystem>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "types/build_tool_definition.h"
#include "types/profile.h"
#include "types/project_import.h"
#include "util/ci_string.h"

namespace Rilk {

/// What a project file declares: its name, imports, tools, units and profiles, each in
/// file order. Paths are kept as written; the application resolves them against the
/// project file's directory.
struct ProjectData {
    /// The unit files listed for one unit name.
    using UnitEntry = std::pair<std::string, std::vector<std::filesystem::path>>;

    /// Adds `files` to the unit entry whose name equals `unitName` ignoring case, keeping
    /// that entry's first spelling and place; without one, appends a new entry.
    void addUnitFiles(const std::string& unitName, std::vector<std::filesystem::path> files);

    /// Empty when the file has no `name` line.
    std::string name;
    std::vector<ProjectImport> imports;
    std::vector<BuildToolDefinition> tools;
    /// One entry per distinct unit name (ignoring case), in order of first appearance.
    std::vector<UnitEntry> units;
    std::vector<Profile> profiles;

private:
    /// Rebuilds `unitPositions_` from `units`.
    void indexUnits();

    /// The position in `units` of each unit name, so that adding a unit costs the same
    /// however many a project lists. Rebuilt when `units` no longer matches it (entries
    /// added or removed directly).
    std::unordered_map<Util::CiString, std::size_t> unitPositions_;
};

}  // namespace Rilk
