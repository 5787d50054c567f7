#include "types/context.h"

#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

struct OperatorCase {
    const char* held;  // null: declared without value
    AssignType type;
    const char* applied;
    const char* expected;
};

class ContextOperators : public ::testing::TestWithParam<OperatorCase> {};

TEST_P(ContextOperators, ChangeOnlyTheValueOfAnExistingVariable) {
    const OperatorCase& c = GetParam();
    Context context;
    context.addAssignment(
        assign("V", c.held ? raw(c.held) : nullptr, AssignType::Set, AssignModifier::Up), 0);
    context.resolveAll();
    context.addAssignment(
        assign("v", c.applied ? raw(c.applied) : nullptr, c.type, AssignModifier::Must), 0);
    const Assignment& stored = context.assignments.at("V");
    EXPECT_EQ(textOf(context, "V"), c.expected);
    EXPECT_EQ(stored.name, "V");
    EXPECT_EQ(stored.type, AssignType::Set);
    EXPECT_EQ(stored.modifier, AssignModifier::Up);
    EXPECT_FALSE(stored.resolved);
}

INSTANTIATE_TEST_SUITE_P(Table, ContextOperators,
                         ::testing::Values(OperatorCase{"a", AssignType::Set, "b", "b"},
                                           OperatorCase{"a", AssignType::Append, "b", "a b"},
                                           OperatorCase{nullptr, AssignType::Append, "b", "b"},
                                           OperatorCase{"a", AssignType::Append, nullptr, "a"},
                                           OperatorCase{"a", AssignType::SetIfUnset, "b", "a"},
                                           OperatorCase{nullptr, AssignType::SetIfUnset, "b", "b"},
                                           OperatorCase{"a", AssignType::Declare, nullptr,
                                                        "<null>"}));

TEST(Context, KeepsTheFirstSpellingAndOperatorOfAName) {
    Context context;
    set(context, "A", num(1));
    set(context, "a", num(2), AssignType::Append);
    ASSERT_EQ(context.assignments.size(), 1u);
    EXPECT_EQ(context.assignments.begin()->first.str(), "A");
    EXPECT_EQ(context.assignments.at("a").name, "A");
    EXPECT_EQ(context.assignments.at("a").type, AssignType::Set);
    EXPECT_EQ(textOf(context, "a"), "3");
}

TEST(Context, TakeModifierModeCopiesTheModifierExceptForSetIfUnset) {
    Context context;
    set(context, "a", raw("1"));
    set(context, "b", raw("1"));
    context.addAssignment(assign("a", raw("2"), AssignType::Set, AssignModifier::Up),
                          kTakeModifier);
    context.addAssignment(assign("b", raw("2"), AssignType::SetIfUnset, AssignModifier::Up),
                          kTakeModifier);
    EXPECT_EQ(context.assignments.at("a").modifier, AssignModifier::Up);
    EXPECT_EQ(context.assignments.at("b").modifier, AssignModifier::None);
}

TEST(Context, UnknownOperatorOnAnExistingVariableChangesNothing) {
    Context context;
    set(context, "a", raw("1"));
    context.resolveAll();
    EXPECT_THROW(context.addAssignment(assign("a", raw("2"), static_cast<AssignType>(9)), 0),
                 AssignmentException);
    EXPECT_EQ(textOf(context, "a"), "1");
    EXPECT_TRUE(context.assignments.at("a").resolved);
}

TEST(Context, AppendToListGathersValuesIntoLists) {
    Context context;
    set(context, "Held", raw("a"));
    context.appendToList({assign("held", raw("b")),
                          assign("new", raw("n"), AssignType::Append, AssignModifier::Up),
                          assign("new", list({raw("m"), raw("o")}))});
    const Assignment& held = context.assignments.at("held");
    EXPECT_EQ(held.name, "Held");
    EXPECT_EQ(held.value->toDisplayString(), R"([ "a", "b" ])");
    const Assignment& added = context.assignments.at("new");
    EXPECT_EQ(added.type, AssignType::Set);
    EXPECT_EQ(added.modifier, AssignModifier::Up);
    EXPECT_EQ(added.value->toString(), "n m o");
}

TEST(Context, PrintDumpsTheAssignmentsInNameOrder) {
    Context context;
    set(context, "b", raw("{x}"));
    set(context, "A", num(1));
    EXPECT_EQ(capture(6, [&] { context.print(5); }), "");
    EXPECT_EQ(capture(1, [&] { context.print(5), Context().print(5); }),
              "{\nA = 1\nb = \"{x}\"\n}\n\n{\n}\n\n");
}

}  // namespace
}  // namespace Rilk
