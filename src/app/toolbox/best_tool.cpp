// Choosing the registered tool that builds a target.
#include "app/toolbox/best_tool.h"

#include <cstdint>
#include <map>
#include <utility>

#include "tools/match_result.h"
#include "types/target_context.h"
#include "util/logger.h"

namespace {

using Usage = std::map<Util::CiString, Rilk::VariableMatch>;

/// The per-variable trace is printed only below the lowest message level.
template <typename... Args>
void trace(fmt::format_string<Args...> format, Args&&... args) {
    if (Rilk::tracingMatches()) Rilk::printColored(37, format, std::forward<Args>(args)...);
}

/// Whether the target defines every required variable that has no default value.
bool hasRequiredVariables(const Rilk::Matcher& matcher, const Rilk::TargetContext& target) {
    for (const auto& [name, assignment] : matcher.required) {
        if (!assignment.value && !target.hasVariable(name.str())) return false;
    }
    return true;
}

/// Classifies the target's variables that the tool knows and its own match left open.
void compareVariables(const Rilk::Matcher& matcher, const Rilk::TargetContext& target,
                      Usage& usage) {
    // The variables both know, in name order (both tables share it): the tool's table is
    // the short one, so it is walked and each of its names looked up in the target.
    for (const auto& [criterionName, criterion] : matcher.criteria) {
        const auto found = target.assignments.find(criterionName);
        if (found == target.assignments.end()) continue;
        const auto& [name, assignment] = *found;
        Rilk::VariableMatch& entry = usage[name];
        if (entry.kind != Rilk::NoMatch) continue;
        entry.claimed = 0;
        const Rilk::RilkValuePtr& wanted = criterion.value;
        if (assignment.value && wanted && assignment.value->equals(*wanted)) {
            entry.kind = Rilk::ExactMatch;
            trace("{}::match - ExactMatch: key='{}' value='{}'\n", matcher.name, name,
                  assignment.value->toString());
        } else if (assignment.modifier == Rilk::AssignModifier::Up && !assignment.value) {
            entry.kind = Rilk::NoMatch;
            trace("{}::match - NoMatch: key='{}'\n", matcher.name, name);
        } else {
            entry.kind = Rilk::PartialMatch;
            trace("{}::match - PartialMatch: key='{}'\n", matcher.name, name);
        }
    }
}

/// The sum of the weights of the entries' match kinds; other kinds add nothing.
std::int32_t scoreOf(const Usage& usage, const Rilk::MatchWeights& weights) {
    std::int32_t score = 0;
    for (const auto& [name, entry] : usage) {
        if (entry.kind == Rilk::ExactMatch) score += weights.exact;
        if (entry.kind == Rilk::PartialMatch) score += weights.partial;
        if (entry.kind == Rilk::NoMatch) score += weights.none;
    }
    return score;
}

}  // namespace

namespace Rilk {

Matcher* bestTool(const ToolMap& tools, const MatchWeights& weights, const TargetContext& target) {
    Rilk::Matcher* best = nullptr;
    std::int32_t bestScore = -1;
    for (const auto& [toolName, matcher] : tools) {
        if (!matcher) continue;
        Usage usage;
        std::int32_t status = Rilk::BuildImpossible;
        if (hasRequiredVariables(*matcher, target)) {
            Rilk::MatchResult result = matcher->match(target);
            usage = std::move(result.variables);
            status = result.status;
        }
        trace("{}::match - result.note: {}\n", matcher->name,
              status == Rilk::BuildPossible ? "BuildPossible" : "BuildImpossible");
        // A tool that cannot build the target is out whatever its score; its variables
        // only feed the trace.
        if (status != Rilk::BuildPossible && !Rilk::tracingMatches()) continue;
        compareVariables(*matcher, target, usage);
        const std::int32_t score = scoreOf(usage, weights);
        if (status == Rilk::BuildPossible && score > bestScore) {
            best = matcher.get();
            bestScore = score;
        }
    }
    if (best != nullptr)
        Rilk::log(Rilk::LogLevel::Verbose, "Best registered tool: {}, score: {}\n", best->name, bestScore);
    return best;
}

}  // namespace Rilk
