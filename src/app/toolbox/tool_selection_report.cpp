#include "app/toolbox/tool_selection_report.h"

#include <vector>

#include "util/logger.h"

namespace Rilk {

namespace {

/// The target's variables that the tool's defaults name, in the order "?=" would visit
/// them, when the defaults leave every value of the target as it is: the tool has no
/// conditions and each default names a variable, once, that the target holds with a value.
/// Empty when any default would change the target.
std::vector<Rilk::Assignment*> heldDefaults(const Rilk::Matcher& tool,
                                            Rilk::TargetContext& target) {
    std::vector<Rilk::Assignment*> held;
    if (!tool.conditions.empty()) return held;
    held.reserve(tool.criteria.size() + tool.required.size());
    auto holds = [&](const Util::CiString& name) {
        const auto found = target.assignments.find(name);
        if (found == target.assignments.end() || found->second.value == nullptr) return false;
        held.push_back(&found->second);
        return true;
    };
    for (const auto& [name, assignment] : tool.criteria) {
        if (tool.required.contains(name) || !holds(name)) return {};
    }
    for (const auto& [name, assignment] : tool.required) {
        if (!holds(name)) return {};
    }
    return held;
}

}  // namespace

void applyToolDefaults(const Rilk::Matcher& tool, Rilk::TargetContext& target) {
    const std::vector<Rilk::Assignment*> held = heldDefaults(tool, target);
    if (!held.empty()) {
        // What "?=" does to a variable with a value, without copying the defaults.
        for (Rilk::Assignment* stored : held) target.markUnresolved(*stored);
        return;
    }
    std::vector<Rilk::Assignment> defaults;
    for (const auto& [name, assignment] : tool.criteria) defaults.push_back(assignment);
    for (const auto& [name, assignment] : tool.required) defaults.push_back(assignment);
    const Rilk::Context context(defaults, tool.conditions);
    target.addContext(context, operatorOverride(AssignType::SetIfUnset),
                      Rilk::kTakeModifier, true);
}

void reportToolSelection(const Rilk::Matcher& tool, const Rilk::Builder& builder,
                         const Rilk::TargetContext& target) {
    if (!Rilk::logs(Rilk::LogLevel::Verbose)) return;
    const Rilk::MatchResult result = builder.selectMatchSubject(target);
    Rilk::log(Rilk::LogLevel::Verbose, "Tool selection\n");
    Rilk::log(Rilk::LogLevel::Verbose, "--------------\n");
    Rilk::log(Rilk::LogLevel::Verbose, "Registered : {}\n", tool.name);
    Rilk::log(Rilk::LogLevel::Verbose, "Tool       : {}\n", builder.name());
    Rilk::log(Rilk::LogLevel::Verbose, "Reason     :\n");
    bool matched = false;
    for (const auto& [name, usage] : result.variables) {
        if (usage.kind == Rilk::NoMatch) continue;
        matched = true;
        Rilk::log(Rilk::LogLevel::Verbose, "  - {} {}\n", name.str(),
                  usage.kind == Rilk::ExactMatch ? "full match" : "partial match");
    }
    if (!matched) Rilk::log(Rilk::LogLevel::Verbose, "  - no matched variables\n");
}

void reportClaimedVariables(const Rilk::Builder& builder, const Rilk::Context& inherited) {
    if (!Rilk::logs(Rilk::LogLevel::Trace)) return;
    // A copy: matching may resolve values, and the runtime context serves every target.
    const Rilk::Context copy(inherited);
    const Rilk::MatchResult result = builder.selectMatchSubject(copy);
    Rilk::log(Rilk::LogLevel::Trace, "Filtering context.\n");
    if (result.status == Rilk::BuildImpossible) return;
    for (const auto& [name, usage] : result.variables) {
        if (usage.claimed == 1) Rilk::log(Rilk::LogLevel::Trace, "Claiming variable '{}'.\n", name.str());
    }
}

}  // namespace Rilk
