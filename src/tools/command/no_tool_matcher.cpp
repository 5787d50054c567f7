#include "tools/command/no_tool_matcher.h"

#include "tools/command/no_tool_builder.h"
#include "tools/tool_factory_registry.h"
#include "types/target_context.h"

namespace Rilk {

namespace {

/// Registers the "no_tool" factory before `main` runs.
class RegisterNoToolMatcher {
public:
    RegisterNoToolMatcher() {
        registerToolFactory("no_tool", "NULL",
                            [](Util::CiString toolName, AssignmentTable assignments,
                               AssignmentTable mustAssignments) -> Matcher* {
                                const MatcherTables& tables = noToolMatcherTables();
                                return new NoToolMatcher(toolName.str(), tables.criteria,
                                                         tables.required, assignments,
                                                         mustAssignments);
                            });
    }
};

const RegisterNoToolMatcher registerNoToolMatcher;

}  // namespace

std::unique_ptr<Matcher> NoToolMatcher::clone() const {
    return std::make_unique<NoToolMatcher>(*this);
}

MatchResult NoToolMatcher::match(const TargetContext& target, const ToolScores&) const {
    MatchResult result;
    if (target.hasVariable("NO_TOOL")) {
        result.status = BuildPossible;
        result.variables.emplace("NO_TOOL", VariableMatch{ExactMatch, 0});
    }
    return result;
}

std::shared_ptr<Builder> NoToolMatcher::builderFor(const TargetContext&) const {
    return std::make_shared<NoToolBuilder>();
}

}  // namespace Rilk
