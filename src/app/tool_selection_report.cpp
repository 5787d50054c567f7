#include "app/tool_selection_report.h"

#include <vector>

#include "util/logger.h"

void applyToolDefaults(const Rilk::Matcher& tool, Rilk::TargetContext& target) {
    std::vector<Rilk::Assignment> defaults;
    for (const auto& [name, assignment] : tool.criteria) defaults.push_back(assignment);
    for (const auto& [name, assignment] : tool.required) defaults.push_back(assignment);
    const Rilk::Context context(defaults, tool.conditions);
    target.addContext(context, static_cast<unsigned>(Rilk::AssignType::SetIfUnset),
                      Rilk::kTakeModifier, true);
}

void reportToolSelection(const Rilk::Matcher& tool, const Rilk::Builder& builder,
                         const Rilk::TargetContext& target) {
    if (3 < Rilk::verbosity) return;
    const Rilk::MatchResult result = builder.selectMatchSubject(target);
    Rilk::log(3, "Tool selection\n");
    Rilk::log(3, "--------------\n");
    Rilk::log(3, "Registered : {}\n", tool.name);
    Rilk::log(3, "Tool       : {}\n", builder.name());
    Rilk::log(3, "Reason     :\n");
    bool matched = false;
    for (const auto& [name, usage] : result.variables) {
        if (usage.kind == Rilk::NoMatch) continue;
        matched = true;
        Rilk::log(3, "  - {} {}\n", name.str(),
                  usage.kind == Rilk::ExactMatch ? "full match" : "partial match");
    }
    if (!matched) Rilk::log(3, "  - no matched variables\n");
}

void reportClaimedVariables(const Rilk::Builder& builder, const Rilk::Context& inherited) {
    if (1 < Rilk::verbosity) return;
    // A copy: matching may resolve values, and the runtime context serves every target.
    const Rilk::Context copy(inherited);
    const Rilk::MatchResult result = builder.selectMatchSubject(copy);
    Rilk::log(1, "Filtering context.\n");
    if (result.status == Rilk::BuildImpossible) return;
    for (const auto& [name, usage] : result.variables) {
        if (usage.claimed == 1) Rilk::log(1, "Claiming variable '{}'.\n", name.str());
    }
}
