#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

struct MergeCase {
    unsigned typeOverride;
    const char* expected;
};

class ContextMerge : public ::testing::TestWithParam<MergeCase> {};

TEST_P(ContextMerge, AppliesTheSourceUnderTheOverride) {
    Context source;
    set(source, "a", raw("x"));
    Context target;
    set(target, "a", raw("y"));
    EXPECT_TRUE(target.addContext(source, GetParam().typeOverride, kKeepModifier, false).empty());
    EXPECT_EQ(textOf(target, "a"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ContextMerge,
                         ::testing::Values(MergeCase{0, "x"}, MergeCase{2, "y x"},
                                           MergeCase{3, "y"}, MergeCase{4, "<null>"}));

TEST(ContextMergeErrors, BadOperationsAreLoggedAndReturned) {
    Context source;
    source.addAssignment(assign("a", raw("x"), AssignType::Set, AssignModifier::Up), 0);
    set(source, "b", raw("z"));
    Context target;
    const RilkValuePtr pending = ref("later");
    set(target, "a", pending);
    std::vector<Assignment> failed;
    EXPECT_EQ(capture(1, [&] { failed = target.addContext(source, 2, kTakeModifier, false); }),
              "Exception when adding implicit context: later is not resolved yet and '\"x\"' "
              "cannot be appended to it.\n");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].type, AssignType::Append);
    EXPECT_EQ(failed[0].modifier, AssignModifier::Up);
    EXPECT_EQ(target.getVariable("a"), pending);
    EXPECT_EQ(textOf(target, "b"), "z");
    EXPECT_THROW(target.addContext(source, 7, kKeepModifier, false), AssignmentException);
}

TEST(ContextMergeErrors, ConditionsAreCopiedOnRequestAndBoundToTheTarget) {
    const auto body = std::make_shared<ContextTemplate>(std::vector{assign("hit", num(1))});
    const ContextPtr source =
        ContextTemplate({}, {Condition{ref("X"), nullptr, Condition::OperatorType::Resolves, body}})
            .createContext();
    Context target;
    target.addContext(*source, 3, kTakeModifier, false);
    EXPECT_TRUE(target.conditions.empty());
    target.addContext(*source, 3, kTakeModifier, true);
    set(target, "X", num(1));
    target.evaluateConditions();
    EXPECT_TRUE(target.hasVariable("hit"));
}

}  // namespace
}  // namespace Rilk
