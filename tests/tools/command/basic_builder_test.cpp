#include "tools/command/basic_builder.h"

#include <gtest/gtest.h>

#include "types/rilk_errors.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

using RilkTest::assign;
using RilkTest::list;
using RilkTest::num;
using RilkTest::raw;
using RilkTest::str;

TargetContext targetWith(std::vector<Assignment> assignments) {
    TargetContext target(Context(), {"", "main", "t"});
    for (const Assignment& a : assignments) target.addAssignment(a, kTakeModifier);
    return target;
}

/// "command @ directory" per recipe, ";"-separated.
std::string recipesOf(const std::vector<Recipe>& recipes) {
    std::string text;
    for (const Recipe& r : recipes) {
        EXPECT_EQ(r.kind, Recipe::Run);
        EXPECT_TRUE(r.pathDirectories.empty());
        text += r.command + " @ " + r.workingDirectory.string() + ";";
    }
    return text;
}

std::string textsOf(const std::vector<Assignment>& assignments) {
    std::string text;
    for (const Assignment& a : assignments) {
        text += (a.modifier == AssignModifier::Up ? "^" : "") + a.toString() + "; ";
    }
    return text;
}

TEST(BasicBuilder, RecipesFollowTheCommandValue) {
    struct Case {
        const char* label;
        RilkValuePtr cmdline;
        const char* expected;
    };
    const Case cases[] = {
        {"string", str("make all"), "make all @ /w;"},
        {"path string", makePathString("run.sh", "/p"), "run.sh @ /w;"},
        {"raw string", raw("echo $HOME"), "echo $HOME @ /w;"},
        {"list in order", list({str("a"), raw("b"), str("c")}), "a @ /w;b @ /w;c @ /w;"},
        {"no value", nullptr, ""},
        {"integer", num(3), ""},
    };
    for (const Case& c : cases) {
        BasicBuilder builder;
        Context job;
        job.addAssignment(assign("CMDLINE", c.cmdline), kKeepModifier);
        job.addAssignment(assign("cwd", raw("/w")), kKeepModifier);
        EXPECT_EQ(recipesOf(builder.createRecipes(job)), c.expected) << c.label;
    }
    Context withoutCwd;
    withoutCwd.addAssignment(assign("cmdline", str("ls")), kKeepModifier);
    EXPECT_EQ(recipesOf(BasicBuilder().createRecipes(withoutCwd)), "ls @ ;");
    EXPECT_EQ(RilkTest::errorText([] { BasicBuilder().createRecipes(Context()); }),
              "Variable 'cmdline' not found.");
}

TEST(BasicBuilder, PlanKeepsOutputsSettingsAndInputsApart) {
    BasicBuilder builder;
    const auto cmdline = str("touch out");
    TargetContext target = targetWith({
        assign("cmdline", cmdline),
        assign("CWD", str("/w"), AssignType::Set, AssignModifier::Must),
        assign("OUT", str("out"), AssignType::Append, AssignModifier::Up),
        assign("src", str("in.c")),
        assign("empty", nullptr),
    });
    const BuildPlan plan = builder.planBuild(target);
    ASSERT_EQ(plan.workItems.size(), 1U);
    EXPECT_EQ(plan.maxParallelJobs, 1U);
    const WorkItem& item = plan.workItems.front();
    ASSERT_EQ(item.inputs.size(), 1U);
    EXPECT_EQ(item.inputs[0].input.toString(), "src = \"in.c\"");
    EXPECT_FALSE(item.inputs[0].hasIntermediate());
    EXPECT_EQ(textsOf(item.outputs), "^OUT = \"out\"; ");
    EXPECT_EQ(textsOf(plan.context), "cmdline = \"touch out\"; CWD = \"/w\"; ");
    EXPECT_EQ(plan.context[1].modifier, AssignModifier::Must);
    EXPECT_EQ(plan.context[0].value, cmdline) << "the plan shares the target's values";

    // Without an output variable the target cannot be kept by the cache: empty plan.
    const BuildPlan none = builder.planBuild(targetWith({assign("cmdline", cmdline)}));
    EXPECT_TRUE(none.workItems.empty());
    EXPECT_TRUE(none.context.empty());
    EXPECT_EQ(none.maxParallelJobs, 1U);
}

TEST(BasicBuilder, OutputsCarryTheJobResult) {
    BasicBuilder builder;
    EXPECT_EQ(builder.name(), "cmdline");
    for (int result : {0, 2}) {
        const Context outputs = builder.collectOutputs(Context(), result);
        ASSERT_EQ(outputs.assignments.size(), 1U);
        const Assignment& a = outputs.assignments.at("result");
        EXPECT_EQ(a.toString(), "result = " + std::to_string(result));
        EXPECT_EQ(a.modifier, AssignModifier::None);
    }
}

}  // namespace
}  // namespace Rilk
