#include <gtest/gtest.h>

#include <string>

#include "parser/visit_test_support.h"
#include "types/context_template.h"
#include "types/rilk_identifier.h"

namespace {

using Kind = RilkVisitorImpl::FileKind;
using Operator = Rilk::Condition::OperatorType;

TEST(VisitContext, AssignmentsComeBeforeConditionalBlocks) {
    auto data = VisitText("{ if a { y = 1 } z = 2 z += 3 }", Kind::Unit).context();
    ASSERT_EQ(data->assignments.size(), 2u);
    EXPECT_EQ(data->assignments[0].name, "z");
    EXPECT_EQ(data->assignments[1].type, Rilk::Assignment::AssignType::Append);
    ASSERT_EQ(data->conditions.size(), 1u);
    const auto& body = data->conditions[0].body;
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(body->assignments.size(), 1u);
    EXPECT_EQ(body->assignments[0].name, "y");
}

TEST(VisitContext, ConditionalBlocksNest) {
    auto data = VisitText("{ if a { if b = 1 { c = 2 } } }", Kind::Unit).context();
    ASSERT_EQ(data->conditions.size(), 1u);
    const auto& inner = data->conditions[0].body->conditions;
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner[0].body->assignments[0].name, "c");
}

struct ConditionCase {
    const char* text;
    Operator type;
    const char* right;  // null: no right operand
};

class VisitCondition : public testing::TestWithParam<ConditionCase> {};

TEST_P(VisitCondition, BuildsOperandsAndOperator) {
    auto data = VisitText(GetParam().text, Kind::Unit).context();
    ASSERT_EQ(data->conditions.size(), 1u);
    const auto& condition = data->conditions[0];
    ASSERT_NE(dynamic_cast<Rilk::RilkIdentifier*>(condition.lhs.get()), nullptr);
    EXPECT_EQ(condition.lhs->toString(), "a.b[0]");
    EXPECT_EQ(condition.type, GetParam().type) << GetParam().text;
    if (GetParam().right == nullptr) {
        EXPECT_EQ(condition.rhs, nullptr);
    } else {
        ASSERT_NE(condition.rhs, nullptr);
        EXPECT_EQ(condition.rhs->toString(), GetParam().right);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Operators, VisitCondition,
    testing::Values(ConditionCase{"{ if a.b[0] { } }", Operator::Resolves, nullptr},
                    ConditionCase{"{ if a.b[0] = 1 { } }", Operator::Equal, "1"},
                    ConditionCase{"{ if a.b[0] != \"x\" { } }", Operator::NotEqual, "x"},
                    ConditionCase{"{ if a.b[0] < 3 { } }", Operator::Less, "3"},
                    ConditionCase{"{ if a.b[0] > c { } }", Operator::Greater, "c"}));

TEST(VisitContext, MustModifierFollowsTheFileKindInsideBlocks) {
    EXPECT_EQ(VisitText("{ if a { !x = 1 } }", Kind::Registry)
                  .context()
                  ->conditions[0]
                  .body->assignments[0]
                  .modifier,
              Rilk::AssignModifier::Must);
    EXPECT_THROW(VisitText("{ if a { !x = 1 } }", Kind::Unit).context(), std::runtime_error);
}

}  // namespace
