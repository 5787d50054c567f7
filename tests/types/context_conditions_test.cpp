#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;
using Op = Condition::OperatorType;

std::shared_ptr<ContextTemplate> block(std::vector<Assignment> assignments,
                                       std::vector<Condition> conditions = {}) {
    return std::make_shared<ContextTemplate>(std::move(assignments), std::move(conditions));
}

Condition when(const std::string& name, Op type, RilkValuePtr rhs,
               std::shared_ptr<ContextTemplate> body) {
    return Condition{ref(name), std::move(rhs), type, std::move(body)};
}

/// A context made from a template holding the conditions, so that they are bound to it.
ContextPtr contextWith(std::vector<Assignment> assignments, std::vector<Condition> conditions) {
    return ContextTemplate(std::move(assignments), std::move(conditions)).createContext();
}

struct ComparisonCase {
    const char* label;
    RilkValuePtr (*held)();  // null: X is declared without a value
    Op type;
    RilkValuePtr (*rhs)();
    bool holds;
};

class ConditionComparisons : public ::testing::TestWithParam<ComparisonCase> {};

TEST_P(ConditionComparisons, ApplyTheBlockWhenTheTestHolds) {
    const ComparisonCase& c = GetParam();
    const ContextPtr context =
        contextWith({assign("X", c.held ? c.held() : nullptr), assign("three", num(3))},
                    {when("X", c.type, c.rhs(), block({assign("hit", num(1))}))});
    context->evaluateConditions();
    EXPECT_EQ(context->hasVariable("hit"), c.holds);
    EXPECT_EQ(context->conditions.size(), c.holds ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConditionComparisons,
    ::testing::Values(
        ComparisonCase{"EqualIgnoresCase", [] { return raw("ABC"); }, Op::Equal,
                       [] { return raw("abc"); }, true},
        ComparisonCase{"EqualDiffers", [] { return raw("abd"); }, Op::Equal,
                       [] { return raw("abc"); }, false},
        ComparisonCase{"NotEqual", [] { return raw("x"); }, Op::NotEqual, [] { return raw("y"); },
                       true},
        ComparisonCase{"GreaterByLength", [] { return raw("abc"); }, Op::Greater,
                       [] { return raw("ab"); }, true},
        ComparisonCase{"LessNumbers", [] { return num(1); }, Op::Less, [] { return num(2); }, true},
        ComparisonCase{"RightIsAnIdentifier", [] { return num(3); }, Op::Equal,
                       [] { return ref("three"); }, true},
        ComparisonCase{"NoValueEqualsNothing", nullptr, Op::Equal, [] { return raw("x"); }, false},
        ComparisonCase{"NoValueDiffers", nullptr, Op::NotEqual, [] { return raw("x"); }, true},
        ComparisonCase{"NoValueOrdersNot", nullptr, Op::Greater, [] { return raw("x"); }, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Conditions, WithoutOperatorTestWhetherTheVariableResolves) {
    const ContextPtr context =
        contextWith({assign("declared", nullptr, AssignType::Declare)},
                    {when("declared", Op::Resolves, nullptr, block({assign("a", num(1))})),
                     when("absent", Op::Resolves, nullptr, block({assign("b", num(1))}))});
    context->evaluateConditions();
    EXPECT_TRUE(context->hasVariable("a"));
    EXPECT_FALSE(context->hasVariable("b"));
    ASSERT_EQ(context->conditions.size(), 1u);
    set(*context, "absent", num(0));
    context->evaluateConditions();
    EXPECT_TRUE(context->hasVariable("b"));
}

TEST(Conditions, NestedBlocksAreEvaluatedRightAfterTheirParent) {
    // if A { B = 1  if B { C = 1 } }  if C { D = 1 }
    const ContextPtr context =
        contextWith({assign("A", num(1))},
                    {when("A", Op::Resolves, nullptr,
                          block({assign("B", num(1))},
                                {when("B", Op::Resolves, nullptr, block({assign("C", num(1))}))})),
                     when("C", Op::Resolves, nullptr, block({assign("D", num(1))}))});
    context->evaluateConditions();
    EXPECT_TRUE(context->hasVariable("C"));
    EXPECT_TRUE(context->hasVariable("D"));
    EXPECT_TRUE(context->conditions.empty());
}

TEST(Conditions, BlocksApplyTheirOperatorsToTheContext) {
    const ContextPtr context =
        contextWith({assign("V", raw("a")), assign("W", raw("keep"))},
                    {when("V", Op::Resolves, nullptr,
                          block({assign("V", raw("x"), AssignType::Append),
                                 assign("W", raw("x"), AssignType::SetIfUnset)}))});
    context->evaluateConditions();
    EXPECT_EQ(textOf(*context, "V"), "a x");
    EXPECT_EQ(textOf(*context, "W"), "keep");
}

TEST(Conditions, ComparisonErrorsPropagateAndKeepTheCondition) {
    const ContextPtr context =
        contextWith({assign("n", num(1))}, {when("missing", Op::Equal, raw("x"), block({})),
                                            when("n", Op::Equal, raw("1"), block({}))});
    EXPECT_THROW(context->evaluateConditions(), NotFoundException);
    EXPECT_EQ(context->conditions.size(), 2u);
    context->conditions.erase(context->conditions.begin());
    EXPECT_THROW(context->evaluateConditions(), BadConversion);
}

TEST(Conditions, AnUnknownOperatorIsAnInternalError) {
    const ContextPtr context = contextWith({}, {when("x", static_cast<Op>(9), nullptr, block({}))});
    EXPECT_THROW(context->evaluateConditions(), InternalError);
}

TEST(Conditions, AnOperandThatIsNotAnIdentifierCountsAsPresent) {
    const ContextPtr context = contextWith(
        {}, {Condition{num(1), nullptr, Op::Resolves, block({assign("hit", num(1))})},
             Condition{nullptr, nullptr, Op::Resolves, block({assign("miss", num(1))})}});
    context->evaluateConditions();
    EXPECT_TRUE(context->hasVariable("hit"));
    EXPECT_FALSE(context->hasVariable("miss"));
}

}  // namespace
}  // namespace Rilk
