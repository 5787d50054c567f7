#pragma once

#include <vector>

#include "types/build_tool_definition.h"
#include "types/rilk_reg_project.h"

/// The per-user registry file as the visitor reads it: the registered projects and the
/// tool definitions, both in file order. Names are kept as written and duplicates are
/// kept; the registry (`Rilk::RegistryEntries`) decides which entry wins.
struct ParsedRegistry {
    std::vector<RilkRegProject> projects;
    std::vector<Rilk::BuildToolDefinition> tools;
};
