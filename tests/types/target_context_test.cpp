#include "types/target_context.h"

#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

std::shared_ptr<TargetContext> instance(std::vector<std::string> names,
                                        std::vector<RilkValuePtr> values,
                                        std::vector<Assignment> assignments = {},
                                        QualifiedTargetName name = {"lib", "main", "app"}) {
    return std::make_shared<TargetContext>(name, names, values, assignments,
                                           std::vector<Condition>{}, std::vector<Dependency>(1));
}

TEST(TargetContext, AppliesParametersOverTheTemplate) {
    const RilkValuePtr callers = raw("1");
    const auto target = instance({"A", "b", "c"}, {callers, raw("23")},
                                 {assign("a", raw("t")), assign("C", raw("kept"))});
    EXPECT_EQ(target->assignments.at("a").name, "a");
    EXPECT_EQ(textOf(*target, "b"), "23");
    EXPECT_EQ(textOf(*target, "c"), "kept");
    EXPECT_EQ(target->dependencies.size(), 1u);
    // The build works on a copy of the caller's value.
    set(*target, "a", raw("more"), AssignType::Append);
    EXPECT_EQ(textOf(*target, "a"), "1 more");
    EXPECT_EQ(callers->toString(), "1");
}

TEST(TargetContext, UniqueNamesJoinTheNonEmptyParts) {
    EXPECT_EQ(instance({}, {}, {}, {"", "", "app"})->uniqueName(), "app");
    EXPECT_EQ(instance({}, {}, {}, {"", "main", "app"})->uniqueName(), "main::app");
    EXPECT_EQ(instance({}, {})->uniqueName(), "lib/main::app");
    EXPECT_EQ(instance({"p"}, {raw("abc")})->uniqueName(), "lib/main::app@e71fa2190541574b");
    EXPECT_EQ(instance({"p"}, {raw("x"), raw("y")})->parameterText, "x");
}

TEST(TargetContext, ParameterHashKeepsLeadingZeros) {
    auto target = instance({}, {});
    EXPECT_EQ(target->parameterHash(), "");
    target->parameterText = "10";
    EXPECT_EQ(target->parameterHash(), "07f89207b4ba08a4");
}

TEST(TargetContext, DifferentParameterListsGetDifferentUniqueNames) {
    const std::string first = instance({"a", "b"}, {raw("12"), raw("3")})->uniqueName();
    EXPECT_NE(first, instance({"a", "b"}, {raw("1"), raw("23")})->uniqueName());
    EXPECT_NE(first, instance({"a"}, {raw("123")})->uniqueName());
    EXPECT_NE(instance({"a"}, {raw("")})->uniqueName(), instance({"a"}, {})->uniqueName());
}

TEST(TargetContext, CanBeMadeFromAnotherContextAndPrintsItsName) {
    Context context;
    set(context, "x", num(1));
    const ContextPtr target =
        std::make_shared<TargetContext>(context, QualifiedTargetName("", "u", "t"));
    EXPECT_EQ(capture(1, [&] { target->print(3); }), "/u::t\n{\nx = 1\n}\n\n");
}

}  // namespace
}  // namespace Rilk
