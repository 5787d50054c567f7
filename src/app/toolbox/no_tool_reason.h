#pragma once

#include <string>

#include "app/toolbox/tool_map.h"
#include "types/target_context.h"

namespace Rilk {

/// What follows "No tool to build <target>." when no registered tool can build the target:
/// why the nearest tool (the one that knows most of the target's variables) refused it, or,
/// when no tool can say, how to see each tool's answer. Starts with a blank.
std::string noToolReason(const ToolMap& tools, const TargetContext& target);

}  // namespace Rilk
