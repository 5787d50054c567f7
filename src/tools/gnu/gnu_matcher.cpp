#include "tools/gnu/gnu_matcher.h"

#include <tuple>
#include <utility>

#include <fmt/format.h>

#include "tools/subject_wanted.h"
#include "tools/version_rules.h"
#include "types/rilk_list.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

/// The names the toolchain check reads, made once: every target is checked.
const Util::CiString kArch("ARCH");
const Util::CiString kTriplet("TOOLCHAIN_TRIPLET");
const Util::CiString kVersion("toolchain_version");
const Util::CiString kMinVersion("toolchain_min_version");

/// The variable the context holds under `name`, or null.
const Assignment* heldBy(const AssignmentTable& variables, const Util::CiString& name) {
    const auto found = variables.find(name);
    return found == variables.end() ? nullptr : &found->second;
}

/// The text of a held variable; empty when absent or without value.
std::string textOf(const Assignment* held) {
    return held && held->value ? held->value->toString() : std::string();
}

/// A wanted text passes when it is empty or equal to the actual text ignoring case.
bool wantHolds(const std::string& want, const std::string& actual) {
    return want.empty() || Util::CiString::equal(want, actual);
}

/// The definition's own assignment of `name`, when it has a value.
const Assignment* definitionValue(const AssignmentTable& criteria, const Util::CiString& name) {
    const Assignment* held = heldBy(criteria, name);
    return held && held->value ? held : nullptr;
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

bool GNUMatcher::holdsSubjectName(const TargetContext& target) const {
    for (const auto& tool : tools) {
        for (const Util::CiString& name : tool->subjectNames()) {
            if (target.assignments.contains(name)) return true;
        }
    }
    return false;
}

GNUMatcher::Misfit GNUMatcher::misfitOf(const TargetContext& target) const {
    const AssignmentTable& variables = target.assignments;
    // An ARCH without value wants nothing, like an empty one.
    if (const Assignment* arch = heldBy(variables, kArch);
        arch && !wantHolds(textOf(arch), toolchain.arch)) {
        return Misfit::TargetWants;
    }
    // A triplet declared without value wants nothing, like an empty one.
    if (!wantHolds(textOf(heldBy(variables, kTriplet)), toolchain.prefix)) {
        return Misfit::TargetWants;
    }
    if (const Assignment* version = heldBy(variables, kVersion);
        version && !valueContains(version->value, toolchain.version)) {
        return Misfit::TargetWants;
    }
    if (const Assignment* minimum = heldBy(variables, kMinVersion);
        minimum && !meetsMinVersion(toolchain.version, textOf(minimum))) {
        return Misfit::TargetWants;
    }
    if (const Assignment* wanted = definitionValue(criteria, kVersion);
        wanted != nullptr && !valueContains(wanted->value, toolchain.version)) {
        return Misfit::DefinitionVersion;
    }
    const Assignment* minimum = definitionValue(criteria, kMinVersion);
    if (minimum != nullptr && !meetsMinVersion(toolchain.version, minimum->value->toString())) {
        return Misfit::DefinitionMinVersion;
    }
    return Misfit::None;
}

std::string GNUMatcher::misfitReason(Misfit misfit) const {
    const std::string toolchainText =
        "its toolchain (" + toolchain.prefix + ", version " + toolchain.version + ")";
    if (misfit == Misfit::TargetWants) {
        return toolchainText +
               " is not the one the target's ARCH, TOOLCHAIN_TRIPLET or wanted version asks for";
    }
    // The target asked for nothing: the tool definition's own wants rule the toolchain out.
    if (misfit == Misfit::DefinitionVersion) {
        return fmt::format(
            "{} is not of the toolchain_version {} that the tool's own definition sets, which "
            "must equal the version; set it to \"{}\" there or leave it out",
            toolchainText, definitionValue(criteria, kVersion)->value->toDisplayString(),
            toolchain.version);
    }
    return toolchainText + " is older than the toolchain_min_version " +
           definitionValue(criteria, kMinVersion)->value->toDisplayString() +
           " that the tool's own definition sets";
}

MatchResult GNUMatcher::match(const TargetContext& target, const ToolScores&) const {
    // Most targets of a project hold no variable a GNU tool builds from; no tool would
    // take them or say a word about them, whatever the toolchain.
    if (!tracingMatches() && !holdsSubjectName(target)) return {};
    if (!acceptsToolchain(target)) return {};
    // The result is the first tool's that can build the target, else the last tool's; only
    // that tool classifies the target's variables. Most targets of a project are subjects
    // of no GNU tool.
    for (std::size_t i = 0; i < tools.size(); ++i) {
        const bool subject = tools[i]->hasMatchSubject(target);
        if (subject) return tools[i]->matchResult(target, true);
    }
    if (tools.empty() || !tracingMatches()) return {};
    return tools.back()->matchResult(target, false);
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

ToolRefusal GNUMatcher::refusal(const TargetContext& target) const {
    // The tool whose declared variables score best for the target, as in `builderFor`;
    // then the one that knows most of them; then the one whose subject the target holds
    // as an output variable (`^C_FILES` alone is a mistake the tool can name).
    const GNUTool* nearest = nullptr;
    std::tuple<int, int, int> nearestRank{-1, -1, -1};
    for (const auto& tool : tools) {
        const std::tuple<int, int, int> rank{
            scoreOf(*tool, tool->matchResult(target, false), target), tool->knownVariables(target),
            outputOnlySubjects(tool->subjectNames(), target)};
        if (rank > nearestRank) {
            nearest = tool.get();
            nearestRank = rank;
        }
    }
    ToolRefusal refusal = Matcher::refusal(target);
    if (nearest == nullptr) return refusal;
    refusal.known += std::get<1>(nearestRank) + std::get<2>(nearestRank);
    if (const Misfit misfit = misfitOf(target); misfit != Misfit::None) {
        refusal.reason = misfitReason(misfit);
    } else {
        refusal.reason = subjectWanted(nearest->name(), nearest->subjectNames(), target);
    }
    return refusal;
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
