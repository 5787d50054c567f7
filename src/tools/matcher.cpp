#include "tools/matcher.h"

#include <utility>

namespace Rilk {

Matcher::Matcher(std::string toolName, const AssignmentTable& criteriaTable,
                 const AssignmentTable& requiredTable, const AssignmentTable& assignments,
                 const AssignmentTable& mustAssignments)
    : name(std::move(toolName)), criteria(criteriaTable), required(requiredTable) {
    for (const auto& [key, assignment] : assignments) {
        if (auto found = required.find(key); found != required.end()) {
            found->second = assignment;
        } else {
            criteria.insert_or_assign(key, assignment);
        }
    }
    for (const auto& [key, assignment] : mustAssignments) {
        criteria.erase(key);
        required.insert_or_assign(key, assignment);
    }
}

MatchResult Matcher::match(const TargetContext&, const ToolScores&) const { return {}; }

ToolRefusal Matcher::refusal(const TargetContext& target) const {
    ToolRefusal refusal;
    // The criteria are left out: every target inherits some of them (cwd), wanted or not.
    for (const auto& [name, assignment] : target.assignments) {
        if (assignment.modifier != AssignModifier::Up && required.contains(name)) ++refusal.known;
    }
    std::string missing;
    for (const auto& [name, assignment] : required) {
        if (assignment.value || target.hasVariable(name.str())) continue;
        missing += (missing.empty() ? "" : ", ") + assignment.name;
    }
    if (!missing.empty()) refusal.reason = "needs " + missing;
    return refusal;
}

}  // namespace Rilk
