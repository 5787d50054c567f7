#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "types/build_tool_definition.h"
#include "types/rilk_reg_project.h"

/// The per-user registry file as the visitor reads it: the registered projects and the
/// tool definitions, both in file order. Names are kept as written and duplicates are
/// kept; the registry (`Rilk::RegistryEntries`) decides which entry wins.
struct ParsedRegistry {
    std::vector<RilkRegProject> projects;
    std::vector<Rilk::BuildToolDefinition> tools;
    /// For each tool, in the order of `tools`: its block as written, from its "{" to its
    /// "}", when the block holds a block as a value, which a registry reads as no value (so
    /// the template does not hold all that was written); empty for every other tool.
    std::vector<std::string> writtenBlocks;
    /// The line of each project's and each tool's name, in the order of `projects` and
    /// `tools`, counted from 1.
    std::vector<std::size_t> projectLines;
    std::vector<std::size_t> toolLines;
};
