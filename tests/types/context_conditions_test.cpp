#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;
using Op = Condition::OperatorType;

Condition when(const std::string& name, Op type, RilkValuePtr rhs,
               std::vector<Assignment> assignments, std::vector<Condition> nestedBlocks = {}) {
    return Condition{
        ref(name), std::move(rhs), type,
        std::make_shared<ContextTemplate>(std::move(assignments), std::move(nestedBlocks))};
}

/// A context made from a template, so that the conditions are bound to it.
ContextPtr contextWith(std::vector<Assignment> assignments, std::vector<Condition> conditions) {
    return ContextTemplate(std::move(assignments), std::move(conditions)).createContext();
}

struct ComparisonCase {
    const char* held;  // null: X is declared without a value
    Op type;
    const char* rhs;
    bool holds;
};

class ConditionComparisons : public ::testing::TestWithParam<ComparisonCase> {};

TEST_P(ConditionComparisons, ApplyTheBlockWhenTheTestHolds) {
    const ComparisonCase& c = GetParam();
    const ContextPtr context =
        contextWith({assign("X", c.held ? raw(c.held) : nullptr)},
                    {when("X", c.type, raw(c.rhs), {assign("hit", num(1))})});
    context->evaluateConditions();
    EXPECT_EQ(context->hasVariable("hit"), c.holds);
    EXPECT_EQ(context->conditions.size(), c.holds ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, ConditionComparisons,
                         ::testing::Values(ComparisonCase{"ABC", Op::Equal, "abc", true},
                                           ComparisonCase{"abd", Op::Equal, "abc", false},
                                           ComparisonCase{"x", Op::NotEqual, "y", true},
                                           ComparisonCase{"abc", Op::Greater, "ab", true},
                                           ComparisonCase{"abc", Op::Less, "ab", false},
                                           ComparisonCase{nullptr, Op::Equal, "x", false},
                                           ComparisonCase{nullptr, Op::NotEqual, "x", true}));

TEST(Conditions, WithoutOperatorTestWhetherTheVariableExists) {
    const ContextPtr context =
        contextWith({assign("declared", nullptr, AssignType::Declare)},
                    {when("declared", Op::Resolves, nullptr, {assign("a", num(1))}),
                     when("absent", Op::Resolves, nullptr, {assign("b", num(1))})});
    context->evaluateConditions();
    EXPECT_TRUE(context->hasVariable("a"));
    EXPECT_FALSE(context->hasVariable("b"));
    set(*context, "absent", num(0));
    context->evaluateConditions();
    EXPECT_TRUE(context->hasVariable("b"));
}

TEST(Conditions, NestedBlocksAreEvaluatedRightAfterTheirParent) {
    // if A { B = 1  if B { C = 1 } }  if C { D = 1 }
    const ContextPtr context = contextWith(
        {assign("A", num(1))}, {when("A", Op::Resolves, nullptr, {assign("B", num(1))},
                                     {when("B", Op::Resolves, nullptr, {assign("C", num(1))})}),
                                when("C", Op::Resolves, nullptr, {assign("D", num(1))})});
    context->evaluateConditions();
    EXPECT_TRUE(context->hasVariable("D"));
    EXPECT_TRUE(context->conditions.empty());
}

TEST(Conditions, BlocksApplyTheirOperators) {
    const ContextPtr context = contextWith({assign("V", raw("a")), assign("W", raw("keep"))},
                                           {when("V", Op::Resolves, nullptr,
                                                 {assign("V", raw("x"), AssignType::Append),
                                                  assign("W", raw("x"), AssignType::SetIfUnset)})});
    context->evaluateConditions();
    EXPECT_EQ(textOf(*context, "V"), "a x");
    EXPECT_EQ(textOf(*context, "W"), "keep");
}

TEST(Conditions, ComparisonErrorsPropagateAndKeepTheCondition) {
    const ContextPtr context =
        contextWith({assign("n", num(1))},
                    {when("missing", Op::Equal, raw("x"), {}), when("n", Op::Equal, raw("1"), {})});
    EXPECT_THROW(context->evaluateConditions(), NotFoundException);
    EXPECT_EQ(context->conditions.size(), 2u);
    context->conditions.erase(context->conditions.begin());
    EXPECT_THROW(context->evaluateConditions(), BadConversion);
    context->conditions[0].type = static_cast<Op>(9);
    EXPECT_THROW(context->evaluateConditions(), InternalError);
}

}  // namespace
}  // namespace Rilk
