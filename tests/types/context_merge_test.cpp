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
                         ::testing::Values(MergeCase{0, "x"}, MergeCase{1, "x"},
                                           MergeCase{2, "y x"}, MergeCase{3, "y"},
                                           MergeCase{4, "<null>"}));

TEST(ContextMergeErrors, BadOperationsAreLoggedAndReturned) {
    Context source;
    set(source, "a", raw("x"));
    set(source, "b", raw("z"));
    Context target;
    const RilkValuePtr pending = ref("later");
    set(target, "a", pending);
    CapturedLog log(1);
    const std::vector<Assignment> failed = target.addContext(source, 2, kTakeModifier, false);
    EXPECT_EQ(log.text(),
              "Exception when adding implicit context: later is not resolved yet and '\"x\"' "
              "cannot be appended to it.\n");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].name, "a");
    EXPECT_EQ(failed[0].type, AssignType::Append);
    EXPECT_FALSE(failed[0].resolved);
    EXPECT_EQ(target.getVariable("a"), pending);
    EXPECT_EQ(textOf(target, "b"), "z");
}

TEST(ContextMergeErrors, WithoutOverrideTheStoredAssignmentIsReturned) {
    Context source;
    source.addAssignment(assign("a", raw("x"), AssignType::Append, AssignModifier::Up), 0);
    source.assignments.at("a").resolved = true;
    Context target;
    set(target, "a", ref("later"));
    CapturedLog log(7);
    const std::vector<Assignment> failed = target.addContext(source, 0, kKeepModifier, false);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].type, AssignType::Append);
    EXPECT_EQ(failed[0].modifier, AssignModifier::Up);
    EXPECT_TRUE(failed[0].resolved);
}

TEST(ContextMergeErrors, OtherErrorsPropagate) {
    Context source;
    set(source, "a", raw("x"));
    Context target;
    set(target, "a", raw("y"));
    EXPECT_THROW(target.addContext(source, 7, kKeepModifier, false), AssignmentException);
    set(target, "a", num(1));
    EXPECT_THROW(target.addContext(source, 2, kKeepModifier, false), BadConversion);
}

TEST(ContextMergeConditions, AreCopiedOnRequestAndBoundToTheTarget) {
    const ContextPtr source =
        ContextTemplate(
            {}, {Condition{ref("X"), nullptr, Condition::OperatorType::Resolves,
                           std::make_shared<ContextTemplate>(std::vector{assign("hit", num(1))})}})
            .createContext();
    Context target;
    target.addContext(*source, 3, kTakeModifier, false);
    EXPECT_TRUE(target.conditions.empty());
    target.addContext(*source, 3, kTakeModifier, true);
    ASSERT_EQ(target.conditions.size(), 1u);
    set(target, "X", num(1));
    target.evaluateConditions();
    EXPECT_TRUE(target.hasVariable("hit"));
    EXPECT_EQ(Context().addContext(Context(), 0, 0, true).size(), 0u);
}

}  // namespace
}  // namespace Rilk
