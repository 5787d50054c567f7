// Why no registered tool builds a target, for the error that ends the build.
#include "app/toolbox/no_tool_reason.h"

#include <utility>

namespace Rilk {

std::string noToolReason(const ToolMap& tools, const TargetContext& target) {
    const Matcher* nearest = nullptr;
    ToolRefusal nearestRefusal;
    bool anyKnown = false;
    for (const auto& [name, matcher] : tools) {
        if (!matcher) continue;
        ToolRefusal refusal = matcher->refusal(target);
        anyKnown = anyKnown || refusal.known > 0;
        // A tool that knows none of the target's variables is no nearer than any other.
        if (refusal.reason.empty() || refusal.known == 0) continue;
        if (nearest != nullptr && refusal.known <= nearestRefusal.known) continue;
        nearest = matcher.get();
        nearestRefusal = std::move(refusal);
    }
    if (nearest == nullptr) {
        return std::string(anyKnown ? "" : " No tool knows any of its variables.") +
               " Run with -v 0 to see each tool's answer.";
    }
    return " The nearest tool, '" + nearest->name + "', cannot build it: " + nearestRefusal.reason +
           ".";
}

}  // namespace Rilk
