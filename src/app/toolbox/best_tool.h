#pragma once

#include <cstdint>

#include "app/toolbox/tool_map.h"
#include "types/target_context.h"

namespace Rilk {

/// What each kind of variable match adds to a tool's score.
struct MatchWeights {
    std::int32_t exact = 2;
    std::int32_t partial = 1;
    std::int32_t none = 0;
};

/// The registered tool that builds `target` with the best score, or null when none can;
/// a tie keeps the tool that comes first by name. The matcher stays owned by `tools`.
Matcher* bestTool(const ToolMap& tools, const MatchWeights& weights, const TargetContext& target);

}  // namespace Rilk
