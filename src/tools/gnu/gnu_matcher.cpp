#include "tools/gnu/gnu_matcher.h"

#include "tools/version_rules.h"
#include "types/rilk_list.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

/// The text of a variable the target defines; empty when absent or without value.
std::string textOf(const Context& target, const char* name) { return target.getString(name, ""); }

/// A wanted text passes when it is empty or equal to the actual text ignoring case.
bool wantHolds(const std::string& want, const std::string& actual) {
    return want.empty() || Util::CiString::equal(want, actual);
}

/// The definition's own assignment of `name`, when it has a value.
const Assignment* definitionValue(const AssignmentTable& criteria, const char* name) {
    const auto found = criteria.find(name);
    return found == criteria.end() || !found->second.value ? nullptr : &found->second;
}

/// The score of one tool's result: the weights of the usage kinds of the target's own
/// (non-output) variables that the tool declares.
int scoreOf(const GNUTool& tool, const MatchResult& result, const TargetContext& target) {
    int score = 0;
    for (const auto& [name, spec] : tool.declaredVariables) {
        const auto defined = target.assignments.find(name);
        if (defined == target.assignments.end() || defined->second.modifier == AssignModifier::Up) {
            continue;
        }
        const auto usage = result.variables.find(name);
        if (usage != result.variables.end()) score += spec.weightFor(usage->second.kind);
    }
    return score;
}

}  // namespace

GNUMatcher::GNUMatcher(std::string name, const AssignmentTable& assignments,
                       const AssignmentTable& mustAssignments)
    : Matcher(std::move(name), gnuMatcherTables().criteria, gnuMatcherTables().required,
              assignments, mustAssignments) {}

std::unique_ptr<Matcher> GNUMatcher::clone() const { return std::make_unique<GNUMatcher>(*this); }

bool GNUMatcher::acceptsToolchain(const TargetContext& target) const {
    const std::string arch = target.hasVariable("ARCH") ? textOf(target, "ARCH") : toolchain.arch;
    // A triplet declared without value wants nothing, like an empty one.
    if (!wantHolds(arch, toolchain.arch) ||
        !wantHolds(textOf(target, "TOOLCHAIN_TRIPLET"), toolchain.prefix)) {
        return false;
    }
    if (target.hasVariable("toolchain_version") &&
        !valueContains(target.getVariable("toolchain_version"), toolchain.version)) {
        return false;
    }
    if (target.hasVariable("toolchain_min_version") &&
        !meetsMinVersion(toolchain.version, textOf(target, "toolchain_min_version"))) {
        return false;
    }
    if (const Assignment* wanted = definitionValue(criteria, "toolchain_version");
        wanted != nullptr && !valueContains(wanted->value, toolchain.version)) {
        return false;
    }
    const Assignment* minimum = definitionValue(criteria, "toolchain_min_version");
    return minimum == nullptr || meetsMinVersion(toolchain.version, minimum->value->toString());
}

MatchResult GNUMatcher::match(const TargetContext& target, const ToolScores&) const {
    if (!acceptsToolchain(target)) return {};
    // The result is the first tool's that can build the target, else the last tool's; only
    // that tool classifies the target's variables. Most targets of a project are subjects
    // of no GNU tool.
    for (std::size_t i = 0; i < tools.size(); ++i) {
        const bool subject = tools[i]->hasMatchSubject(target);
        if (subject || i + 1 == tools.size()) return tools[i]->matchResult(target, subject);
    }
    return {};
}

std::shared_ptr<Builder> GNUMatcher::builderFor(const TargetContext& target) const {
    std::shared_ptr<Builder> best;
    int bestScore = -1;
    for (const auto& tool : tools) {
        const MatchResult result = tool->selectMatchSubject(target);
        if (result.status != BuildPossible) continue;
        const int score = scoreOf(*tool, result, target);
        if (score > bestScore) {
            best = tool;
            bestScore = score;
        }
    }
    return best;
}

bool valueContains(const RilkValuePtr& value, const std::string& text) {
    if (!value) return false;
    const auto* list = valueCast<const RilkList>(value.get());
    if (list == nullptr) return Util::CiString::equal(value->toString(), text);
    for (const RilkValuePtr& element : list->elements()) {
        if (valueContains(element, text)) return true;
    }
    return false;
}

}  // namespace Rilk
