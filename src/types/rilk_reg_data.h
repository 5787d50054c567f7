#pragma once

#include <vector>

#include "types/build_tool_definition.h"
#include "types/rilk_reg_project.h"

/// The content of the per-user registry file: the registered projects and the tool
/// definitions, both in file order. Names are kept as written and duplicates are kept;
/// the application decides which entry wins.
struct RilkRegData {
    std::vector<RilkRegProject> projects;
    std::vector<Rilk::BuildToolDefinition> tools;
};
