#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "types/context_template.h"
#include "util/ci_string.h"

namespace Rilk {

/// The registered projects by name: the path of each project's project file.
using RegistryProjects = std::map<Util::CiString, std::filesystem::path>;
/// The registered tool definitions by tool name.
using RegistryTools = std::map<Util::CiString, std::shared_ptr<Rilk::ContextTemplate>>;

/// What a registry holds. Names are case-insensitive: a name occurs once, in the spelling
/// of its first entry, and a later entry of the same name replaces the earlier one's value.
struct RegistryEntries {
    RegistryProjects projects;
    RegistryTools toolDefinitions;
};

}  // namespace Rilk
