#include <gtest/gtest.h>

#include <stdexcept>

#include "parser/visit_test_support.h"

namespace {

using Kind = RilkVisitorImpl::FileKind;
using Type = Rilk::Assignment::AssignType;
using Modifier = Rilk::AssignModifier;

struct AssignmentCase {
    const char* text;
    Type type;
    Modifier modifier;
    const char* valueText;  // null: no value
};

class VisitAssignment : public testing::TestWithParam<AssignmentCase> {};

TEST_P(VisitAssignment, BuildsNameOperatorModifierAndValue) {
    auto assignment = VisitText(GetParam().text, Kind::Registry).assignment();
    EXPECT_EQ(assignment.name, "x");
    EXPECT_EQ(assignment.type, GetParam().type) << GetParam().text;
    EXPECT_EQ(assignment.modifier, GetParam().modifier) << GetParam().text;
    EXPECT_FALSE(assignment.resolved);
    if (GetParam().valueText == nullptr) {
        EXPECT_EQ(assignment.value, nullptr) << GetParam().text;
    } else {
        ASSERT_NE(assignment.value, nullptr) << GetParam().text;
        EXPECT_EQ(assignment.value->toString(), GetParam().valueText);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Operators, VisitAssignment,
    testing::Values(AssignmentCase{"x", Type::Declare, Modifier::None, nullptr},
                    AssignmentCase{"x = 1", Type::Set, Modifier::None, "1"},
                    AssignmentCase{"^x += 1", Type::Append, Modifier::Up, "1"},
                    AssignmentCase{"x ?= \"v\"", Type::SetIfUnset, Modifier::None, "v"},
                    AssignmentCase{"!x = y", Type::Set, Modifier::Must, "y"},
                    AssignmentCase{"!x", Type::Declare, Modifier::Must, nullptr}));

TEST(VisitAssignment, MustModifierIsRefusedOutsideRegistryAndToolDefinitions) {
    const std::string refusal = "'!' assignment modifier is not allowed in this context.";
    EXPECT_EQ(errorText<std::runtime_error>([] { VisitText("!x = 1", Kind::Unit).assignment(); }),
              refusal);
    EXPECT_EQ(
        errorText<std::runtime_error>([] { VisitText("!x = 1", Kind::Project).assignment(); }),
        refusal);

    VisitText tool("!x = 1", Kind::Project);
    tool.visitor.allowMustModifier = true;
    EXPECT_EQ(tool.assignment().modifier, Modifier::Must);
}

TEST(VisitAssignment, RefusedModifierIsReportedBeforeErrorsInTheValue) {
    EXPECT_EQ(errorText<std::runtime_error>(
                  [] { VisitText("!x = [1, 3000000000]", Kind::Unit).assignment(); }),
              "'!' assignment modifier is not allowed in this context.");
}

}  // namespace
