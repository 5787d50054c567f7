// Why no registered tool builds a target, for the error that ends the build.
#include "app/toolbox/no_tool_reason.h"

#include <utility>

#include "app/toolbox/tool_registration.h"

namespace Rilk {
namespace {

/// A sentence, with a blank before it, on how to register tools when only the static ones
/// are there; empty otherwise.
std::string onlyStaticTools(const ToolMap& tools) {
    for (const auto& [name, matcher] : tools) {
        if (matcher && !isStaticTool(name.str())) return "";
    }
    return " No tool is registered but the built-in ones: `rilk --find-compilers` registers the "
           "machine's compilers.";
}

}  // namespace

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
               onlyStaticTools(tools) + " Run with -v 0 to see each tool's answer.";
    }
    return " The nearest tool, '" + nearest->name + "', cannot build it: " + nearestRefusal.reason +
           "." + onlyStaticTools(tools);
}

}  // namespace Rilk
