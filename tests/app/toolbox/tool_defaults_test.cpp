// The tool's defaults merged into a target context with "?=": the quick path taken when
// the target already holds every default must end where the full merge ends.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/build/build_test_support.h"
#include "app/toolbox/tool_selection_report.h"
#include "types/rilk_string.h"
#include "types/target_context.h"

namespace {

using Rilk::AssignModifier;
using Rilk::Assignment;
using Rilk::AssignType;

Assignment text(const std::string& name, const char* value,
                AssignModifier modifier = AssignModifier::None) {
    return Assignment(name, value ? Rilk::makeString(value) : nullptr,
                      value ? AssignType::Set : AssignType::Declare, modifier);
}

Rilk::TargetContext targetWith(const std::vector<Assignment>& assignments) {
    return Rilk::TargetContext({"", "u", "t"}, {}, {}, assignments, {}, {});
}

std::string valueOf(const Rilk::Context& context, const std::string& name) {
    const Assignment& stored = context.assignments.at(name);
    return stored.value ? stored.value->toString() : "<none>";
}

TEST(ToolDefaults, TargetValuesWinAndMissingOnesAreFilledIn) {
    struct Case {
        const char* what;
        std::vector<Assignment> target;
        std::vector<std::pair<std::string, std::string>> expected;
    };
    const std::vector<Case> cases = {
        {"every default held", {text("A", "own"), text("B", "b")}, {{"A", "own"}, {"B", "b"}}},
        {"one default missing", {text("A", "own")}, {{"A", "own"}, {"B", "<none>"}}},
        {"held without value", {text("A", nullptr), text("B", "b")}, {{"A", "x"}, {"B", "b"}}},
    };
    RilkTest::FakeTool tool;
    tool.criteria.emplace("A", text("a", "x", AssignModifier::Up));
    tool.required.emplace("B", text("B", nullptr));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rilk::TargetContext target = targetWith(c.target);
        for (auto& [name, stored] : target.assignments) stored.resolved = true;
        Rilk::applyToolDefaults(tool, target);
        ASSERT_EQ(target.assignments.size(), c.expected.size());
        for (const auto& [name, value] : c.expected) EXPECT_EQ(valueOf(target, name), value);
        // A value the target gave keeps its modifier and spelling, and is resolved again.
        const Assignment& a = target.assignments.at("a");
        EXPECT_EQ(a.name, "A");
        EXPECT_FALSE(a.resolved);
        if (c.target.front().value) {
            EXPECT_EQ(a.modifier, AssignModifier::None);
        }
    }
}

TEST(ToolDefaults, ConditionsFollowEvenWhenEveryDefaultIsHeld) {
    RilkTest::FakeTool tool;
    tool.criteria.emplace("A", text("A", "x"));
    tool.conditions.resize(1);
    Rilk::TargetContext target = targetWith({text("A", "own")});
    Rilk::applyToolDefaults(tool, target);
    EXPECT_EQ(valueOf(target, "A"), "own");
    EXPECT_EQ(target.conditions.size(), 1u);
}

}  // namespace
