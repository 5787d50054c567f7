#include "tools/command/basic_matcher.h"

#include <gtest/gtest.h>

#include "tools/command/basic_builder.h"
#include "tools/command/no_tool_builder.h"
#include "tools/command/no_tool_matcher.h"
#include "tools/tool_factory_registry.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

using RilkTest::assign;
using RilkTest::str;

std::string keysOf(const AssignmentTable& table) {
    std::string text;
    for (const auto& [key, a] : table)
        text += a.name + (a.value ? "=" + a.value->toString() : "") + " ";
    return text;
}

// The factories must be reachable through the registry of this test binary, which links
// the core the way `rilk` does: nothing else refers to their registration objects.
TEST(CommandToolFactories, AreRegisteredAndBuildMatchersOverTheirTables) {
    AssignmentTable plain;
    plain.emplace("cmdline", assign("cmdline", str("make")));
    std::unique_ptr<Matcher> command(createToolMatcher("COMMAND", "default_basic", plain, {}));
    ASSERT_NE(dynamic_cast<BasicMatcher*>(command.get()), nullptr);
    EXPECT_EQ(command->name, "default_basic");
    EXPECT_EQ(keysOf(command->criteria), "cwd ");
    EXPECT_EQ(keysOf(command->required), "cmdline=make ");

    std::unique_ptr<Matcher> noTool(createToolMatcher("no_tool", "default_no_tool", {}, {}));
    ASSERT_NE(dynamic_cast<NoToolMatcher*>(noTool.get()), nullptr);
    EXPECT_EQ(keysOf(noTool->criteria), "");
    EXPECT_EQ(keysOf(noTool->required), "NO_TOOL ");

    EXPECT_NE(dynamic_cast<BasicMatcher*>(command->clone().get()), nullptr);
    EXPECT_NE(dynamic_cast<NoToolMatcher*>(noTool->clone().get()), nullptr);
}

TEST(CommandToolMatchers, MatchAndHandOutTheirBuilders) {
    std::unique_ptr<Matcher> command(createToolMatcher("command", "c", {}, {}));
    std::unique_ptr<Matcher> noTool(createToolMatcher("no_tool", "n", {}, {}));
    TargetContext plain(Context(), {"", "main", "t"});
    RilkTest::set(plain, "X", str("1"));
    TargetContext marked = plain;
    marked.addAssignment(assign("no_tool", nullptr, AssignType::Declare), kKeepModifier);

    const MatchResult anyTarget = command->match(plain);
    EXPECT_EQ(anyTarget.status, BuildPossible);
    EXPECT_TRUE(anyTarget.variables.empty());
    EXPECT_NE(dynamic_cast<BasicBuilder*>(command->builderFor(plain).get()), nullptr);

    EXPECT_EQ(noTool->match(plain).status, BuildImpossible);
    EXPECT_TRUE(noTool->match(plain).variables.empty());
    const MatchResult accepted = noTool->match(marked);
    EXPECT_EQ(accepted.status, BuildPossible);
    ASSERT_EQ(accepted.variables.size(), 1U);
    EXPECT_EQ(accepted.variables.at("NO_TOOL").kind, ExactMatch);
    EXPECT_EQ(accepted.variables.at("NO_TOOL").claimed, 0);

    // The no-tool builder runs and produces nothing.
    auto builder = noTool->builderFor(marked);
    ASSERT_NE(dynamic_cast<NoToolBuilder*>(builder.get()), nullptr);
    EXPECT_EQ(builder->name(), "no_tool");
    const BuildPlan plan = builder->planBuild(marked);
    EXPECT_TRUE(plan.workItems.empty() && plan.context.empty());
    EXPECT_EQ(plan.maxParallelJobs, 1U);
    EXPECT_TRUE(builder->createRecipes(marked).empty());
    EXPECT_TRUE(builder->collectOutputs(marked, 0).assignments.empty());
}

}  // namespace
}  // namespace Rilk
