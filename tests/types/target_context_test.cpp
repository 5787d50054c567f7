#include "types/target_context.h"

#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

std::shared_ptr<TargetContext> instance(const QualifiedTargetName& name,
                                        std::vector<std::string> names,
                                        std::vector<RilkValuePtr> values,
                                        std::vector<Assignment> assignments = {}) {
    Dependency dependency;
    dependency.target = QualifiedTargetName("", "", "lib");
    return std::make_shared<TargetContext>(name, names, values, assignments,
                                           std::vector<Condition>{}, std::vector{dependency});
}

TEST(TargetContext, AppliesParametersOverTheTemplate) {
    const auto target =
        instance(QualifiedTargetName("", "main", "app"), {"A", "b", "c"}, {raw("1"), raw("23")},
                 {assign("a", raw("t")), assign("C", raw("kept"))});
    EXPECT_EQ(textOf(*target, "a"), "1");
    EXPECT_EQ(target->assignments.at("a").name, "a");
    EXPECT_EQ(textOf(*target, "b"), "23");
    EXPECT_EQ(textOf(*target, "c"), "kept");
    EXPECT_EQ(target->name.target, "app");
    ASSERT_EQ(target->dependencies.size(), 1u);
    EXPECT_EQ(std::get<QualifiedTargetName>(target->dependencies[0].target).target, "lib");
}

TEST(TargetContext, ExtraValuesAreIgnored) {
    const auto target = instance(QualifiedTargetName("", "", "t"), {"a"}, {raw("x"), raw("y")});
    EXPECT_EQ(target->parameterText, "x");
    EXPECT_EQ(target->assignments.size(), 1u);
}

TEST(TargetContext, TheBuildCannotChangeTheCallersParameterValues) {
    const RilkValuePtr callers = raw("v");
    const auto target = instance(QualifiedTargetName("", "", "t"), {"a"}, {callers});
    target->addAssignment(assign("a", raw("more"), AssignType::Append), kKeepModifier);
    EXPECT_EQ(textOf(*target, "a"), "v more");
    EXPECT_EQ(callers->toString(), "v");
}

TEST(TargetContext, UniqueNamesJoinTheNonEmptyParts) {
    EXPECT_EQ(instance(QualifiedTargetName("", "", "app"), {}, {})->uniqueName(), "app");
    EXPECT_EQ(instance(QualifiedTargetName("", "main", "app"), {}, {})->uniqueName(), "main::app");
    EXPECT_EQ(instance(QualifiedTargetName("lib", "main", "app"), {}, {})->uniqueName(),
              "lib/main::app");
    EXPECT_EQ(
        instance(QualifiedTargetName("lib", "main", "app"), {"p"}, {raw("abc")})->uniqueName(),
        "lib/main::app@e71fa2190541574b");
}

TEST(TargetContext, ParameterHashIsSixteenHexDigits) {
    auto target = instance(QualifiedTargetName("", "", "t"), {}, {});
    EXPECT_EQ(target->parameterHash(), "");
    target->parameterText = "abc";
    EXPECT_EQ(target->parameterHash(), "e71fa2190541574b");
    // A hash below 2^60 keeps its leading zeros.
    for (int i = 0; i < 100000; ++i) {
        target->parameterText = std::to_string(i);
        const std::string hash = target->parameterHash();
        ASSERT_EQ(hash.size(), 16u);
        if (hash[0] == '0') return;
    }
    FAIL() << "no hash with a leading zero found";
}

TEST(TargetContext, DifferentParameterListsGetDifferentUniqueNames) {
    const QualifiedTargetName name("", "u", "t");
    const auto first = instance(name, {"a", "b"}, {raw("12"), raw("3")});
    const auto second = instance(name, {"a", "b"}, {raw("1"), raw("23")});
    const auto single = instance(name, {"a"}, {raw("123")});
    const auto empty = instance(name, {"a"}, {raw("")});
    EXPECT_NE(first->uniqueName(), second->uniqueName());
    EXPECT_NE(first->uniqueName(), single->uniqueName());
    EXPECT_NE(empty->uniqueName(), instance(name, {"a"}, {})->uniqueName());
}

TEST(TargetContext, CanBeMadeFromAnotherContext) {
    Context context;
    set(context, "x", raw("1"));
    const auto target =
        std::make_shared<TargetContext>(context, QualifiedTargetName("n", "u", "t"));
    EXPECT_EQ(textOf(*target, "x"), "1");
    EXPECT_EQ(target->uniqueName(), "n/u::t");
    EXPECT_TRUE(target->dependencies.empty());
    EXPECT_TRUE(target->parameterText.empty());
}

TEST(TargetContext, PrintsItsNameBeforeItsVariables) {
    const auto target = instance(QualifiedTargetName("", "u", "t"), {"a"}, {num(1)});
    const ContextPtr asContext = target;
    CapturedLog log(1);
    asContext->print(3);
    EXPECT_EQ(log.text(), "/u::t\n{\na = 1\n}\n\n");
}

}  // namespace
}  // namespace Rilk
