#include "tools/command/basic_matcher.h"

#include <utility>

#include "tools/command/basic_builder.h"
#include "tools/tool_factory_registry.h"

namespace Rilk {

namespace {

/// Registers the "command" factory before `main` runs.
class RegisterBasicMatcher {
public:
    RegisterBasicMatcher() {
        registerToolFactory("command", "NULL",
                            [](Util::CiString toolName, AssignmentTable assignments,
                               AssignmentTable mustAssignments) -> Matcher* {
                                const MatcherTables& tables = commandMatcherTables();
                                return new BasicMatcher(toolName.str(), tables.criteria,
                                                        tables.required, assignments,
                                                        mustAssignments);
                            });
    }
};

const RegisterBasicMatcher registerBasicMatcher;

}  // namespace

std::unique_ptr<Matcher> BasicMatcher::clone() const {
    return std::make_unique<BasicMatcher>(*this);
}

MatchResult BasicMatcher::match(const TargetContext&, const ToolScores&) const {
    MatchResult result;
    result.status = BuildPossible;
    return result;
}

std::shared_ptr<Builder> BasicMatcher::builderFor(const TargetContext&) const {
    return std::make_shared<BasicBuilder>();
}

}  // namespace Rilk
