#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "types/context_template.h"
#include "util/ci_string.h"

namespace Rilk {

/// The registered projects by name: the path of each project's project file.
using RegistryProjects = std::map<Util::CiString, std::filesystem::path>;
/// The registered tool definitions by tool name.
using RegistryTools = std::map<Util::CiString, std::shared_ptr<Rilk::ContextTemplate>>;

/// A tool's block as it was written in the registry file, kept for a block whose template
/// does not hold all that was written: a block written as a value reads as no value there.
struct WrittenToolBlock {
    /// The template read from `text`; the text stands for that template only.
    std::shared_ptr<const Rilk::ContextTemplate> definition;
    /// From the block's "{" to its "}", as written.
    std::string text;
};
/// The written blocks by tool name.
using WrittenToolBlocks = std::map<Util::CiString, WrittenToolBlock>;

/// An entry of the registry file that a later entry of the same name (in any letter case)
/// replaces: it is not in use, and a rewritten file no longer holds it.
struct ReplacedEntry {
    /// "project" or "tool".
    std::string kind;
    /// As written.
    std::string name;
    /// Of the name, counted from 1.
    std::size_t line;
};

/// What a registry holds. Names are case-insensitive: a name occurs once, in the spelling
/// of its first entry, and a later entry of the same name replaces the earlier one's value.
struct RegistryEntries {
    RegistryProjects projects;
    RegistryTools toolDefinitions;
    /// For the tools whose template does not hold all their written block holds.
    WrittenToolBlocks writtenBlocks = {};
    /// The file's entries that a later one of their name replaces, in file order.
    std::vector<ReplacedEntry> replacedEntries = {};
};

}  // namespace Rilk
