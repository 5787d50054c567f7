#include "tools/builder.h"

#include <memory>
#include <utility>

#include "util/logger.h"

namespace Rilk {

namespace {

/// ExactMatch when both values are absent or their texts are equal ignoring case;
/// PartialMatch otherwise.
MatchKind compareValues(const RilkValuePtr& builderValue, const RilkValuePtr& targetValue) {
    if (!builderValue || !targetValue) {
        return !builderValue && !targetValue ? ExactMatch : PartialMatch;
    }
    return Util::CiString::equal(builderValue->toString(), targetValue->toString()) ? ExactMatch
                                                                                    : PartialMatch;
}

}  // namespace

Builder::Builder(AssignmentTable inputs, VariableSpecTable declared)
    : inputVariables(std::move(inputs)), declaredVariables(std::move(declared)) {}

int Builder::knownVariables(const Context& target) const {
    int known = 0;
    for (const auto& [name, assignment] : target.assignments) {
        if (assignment.modifier == AssignModifier::Up) continue;
        if (inputVariables.contains(name) || declaredVariables.contains(name)) ++known;
    }
    return known;
}

std::string Builder::name() const { return "builder"; }

std::string Builder::unwrittenOutputHint() const {
    return "The tool '" + name() +
           "' names this file itself: flags given to it that make it write another file, or "
           "none, leave it unwritten.";
}

MatchResult Builder::selectMatchSubject(const Context& target) const {
    MatchResult result;
    result.status = BuildPossible;
    for (const auto& [name, input] : inputVariables) {
        auto found = target.assignments.find(name);
        if (found != target.assignments.end() && found->second.modifier == AssignModifier::Up) {
            log(LogLevel::Detail, "Skipping '{}' as match subject: output variable\n", found->second.name);
            result.status = BuildImpossible;
            break;
        }
    }
    classifyVariables(result, target.assignments);
    return result;
}

void Builder::classifyVariables(MatchResult& result, const AssignmentTable& target) const {
    for (const auto& [name, assignment] : target) {
        const bool output = assignment.modifier == AssignModifier::Up;
        VariableMatch match;
        if (auto input = inputVariables.find(name); input != inputVariables.end()) {
            match.kind = compareValues(input->second.value, assignment.value);
            match.claimed = !output || assignment.value ? 1 : 0;
        } else if (auto declared = declaredVariables.find(name);
                   declared != declaredVariables.end() && !output) {
            match.kind = compareValues(declared->second.defaultValue, assignment.value);
        }
        result.variables.insert_or_assign(name, match);
    }
}

ContextPtr Builder::wholeTargetJob(const TargetContext& target) const {
    return std::make_shared<TargetContext>(target, target.name);
}

}  // namespace Rilk
