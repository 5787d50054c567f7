#include "types/context.h"

#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

struct OperatorCase {
    const char* label;
    const char* held;  // null: the variable exists without a value
    AssignType type;
    const char* applied;   // null: the assignment carries no value
    const char* expected;  // text of the value afterwards, "<null>" for none
};

RilkValuePtr rawOrNull(const char* text) { return text ? raw(text) : nullptr; }

class ContextOperators : public ::testing::TestWithParam<OperatorCase> {};

TEST_P(ContextOperators, ChangeAnExistingVariable) {
    const OperatorCase& c = GetParam();
    Context context;
    context.addAssignment(assign("V", rawOrNull(c.held), AssignType::Set, AssignModifier::Up),
                          kKeepModifier);
    context.resolveAssignment(context.assignments.at("V"));
    context.addAssignment(assign("v", rawOrNull(c.applied), c.type, AssignModifier::Must),
                          kKeepModifier);
    const Assignment& stored = context.assignments.at("V");
    EXPECT_EQ(textOf(context, "V"), c.expected);
    EXPECT_EQ(stored.name, "V");
    EXPECT_EQ(stored.type, AssignType::Set);
    EXPECT_EQ(stored.modifier, AssignModifier::Up);
    EXPECT_FALSE(stored.resolved);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ContextOperators,
    ::testing::Values(OperatorCase{"Set", "a", AssignType::Set, "b", "b"},
                      OperatorCase{"Append", "a", AssignType::Append, "b", "a b"},
                      OperatorCase{"AppendToNone", nullptr, AssignType::Append, "b", "b"},
                      OperatorCase{"AppendNone", "a", AssignType::Append, nullptr, "a"},
                      OperatorCase{"SetIfUnset", "a", AssignType::SetIfUnset, "b", "a"},
                      OperatorCase{"SetUnset", nullptr, AssignType::SetIfUnset, "b", "b"},
                      OperatorCase{"Declare", "a", AssignType::Declare, nullptr, "<null>"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Context, KeepsTheFirstSpellingAndOperatorOfAName) {
    Context context;
    set(context, "A", num(1));
    context.addAssignment(assign("a", num(2), AssignType::Append), kKeepModifier);
    ASSERT_EQ(context.assignments.size(), 1u);
    EXPECT_EQ(context.assignments.begin()->first.str(), "A");
    EXPECT_EQ(context.assignments.at("a").name, "A");
    EXPECT_EQ(context.assignments.at("a").type, AssignType::Set);
    EXPECT_EQ(textOf(context, "a"), "3");
}

TEST(Context, NewVariablesAreStoredAsGiven) {
    Context context;
    const RilkValuePtr value = str("x");
    context.addAssignment(assign("Flags", value, AssignType::Append, AssignModifier::Up),
                          kTakeModifier);
    context.addAssignment(assign("Bare", nullptr, AssignType::Declare), kKeepModifier);
    const Assignment& flags = context.assignments.at("FLAGS");
    EXPECT_EQ(flags.name, "Flags");
    EXPECT_EQ(flags.type, AssignType::Append);
    EXPECT_EQ(flags.modifier, AssignModifier::Up);
    EXPECT_EQ(flags.value, value);
    EXPECT_TRUE(context.hasVariable("bare"));
    EXPECT_EQ(context.getVariable("BARE"), nullptr);
}

TEST(Context, AppendChangesTheSharedValueInPlace) {
    Context context;
    const RilkValuePtr value = str("a");
    set(context, "v", value);
    context.addAssignment(assign("v", str("b"), AssignType::Append), kKeepModifier);
    EXPECT_EQ(value->toString(), "a b");
    EXPECT_EQ(context.getVariable("v"), value);
}

TEST(Context, TakeModifierModeCopiesTheModifierExceptForSetIfUnset) {
    Context context;
    set(context, "a", str("1"));
    set(context, "b", str("1"));
    context.addAssignment(assign("a", str("2"), AssignType::Set, AssignModifier::Up),
                          kTakeModifier);
    context.addAssignment(assign("b", str("2"), AssignType::SetIfUnset, AssignModifier::Up),
                          kTakeModifier);
    EXPECT_EQ(context.assignments.at("a").modifier, AssignModifier::Up);
    EXPECT_EQ(context.assignments.at("b").modifier, AssignModifier::None);
    EXPECT_EQ(textOf(context, "b"), "1");
}

TEST(Context, UnknownOperatorOnAnExistingVariableChangesNothing) {
    Context context;
    set(context, "a", raw("1"));
    context.resolveAssignment(context.assignments.at("a"));
    EXPECT_THROW(context.addAssignment(assign("a", str("2"), static_cast<AssignType>(9)), 0),
                 AssignmentException);
    EXPECT_EQ(textOf(context, "a"), "1");
    EXPECT_TRUE(context.assignments.at("a").resolved);
}

TEST(Context, StoredResolvableValuesResolveHere) {
    Context context;
    const auto value = std::make_shared<RilkIdentifier>(ident("x"));
    set(context, "a", value);
    EXPECT_EQ(value->resolver(), &context);
}

TEST(Context, LookupsReadTheStoredValue) {
    Context context;
    set(context, "Name", str("text"));
    context.addAssignment(assign("empty", nullptr, AssignType::Declare), kKeepModifier);
    EXPECT_EQ(context.getString("NAME"), "text");
    EXPECT_EQ(context.getString("empty", "dflt"), "dflt");
    EXPECT_EQ(context.getString("absent", "dflt"), "dflt");
    EXPECT_FALSE(context.hasVariable("absent"));
    try {
        context.getVariable("absent");
        FAIL();
    } catch (const NotFoundException& e) {
        EXPECT_EQ(e.message(), "Variable 'absent' not found.");
    }
}

TEST(Context, AppendToListGathersValuesIntoLists) {
    Context context;
    set(context, "Held", str("a"));
    context.addAssignment(assign("bare", nullptr, AssignType::Declare, AssignModifier::Up), 0);
    context.appendToList({assign("held", str("b")),
                          assign("new", str("n"), AssignType::Append, AssignModifier::Up),
                          assign("new", list({str("m"), str("o")})), assign("bare", str("x"))});
    const Assignment& held = context.assignments.at("held");
    EXPECT_EQ(held.name, "Held");
    EXPECT_EQ(held.type, AssignType::Set);
    EXPECT_EQ(held.value->toDisplayString(), R"([ "a", "b" ])");
    const Assignment& added = context.assignments.at("new");
    EXPECT_EQ(added.type, AssignType::Set);
    EXPECT_EQ(added.modifier, AssignModifier::Up);
    EXPECT_EQ(added.value->toString(), "n m o");
    EXPECT_EQ(context.assignments.at("bare").value->toString(), "x");
    EXPECT_EQ(context.assignments.at("bare").modifier, AssignModifier::Up);
}

TEST(Context, PrintDumpsTheAssignmentsInNameOrder) {
    Context context;
    set(context, "b", str("{x}"));
    set(context, "A", num(1));
    {
        CapturedLog log(6);
        context.print(5);
        EXPECT_EQ(log.text(), "");
    }
    CapturedLog log(1);
    context.print(5);
    Context().print(5);
    EXPECT_EQ(log.text(), "{\nA = 1\nb = \"{x}\"\n}\n\n{\n}\n\n");
}

}  // namespace
}  // namespace Rilk
