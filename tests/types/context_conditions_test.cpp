#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;
using Op = Condition::OperatorType;

namespace {

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

}  // namespace

TEST(Conditions, ComparisonsApplyTheBlockWhenTheTestHolds) {
    const std::tuple<const char*, Op, const char*, bool> cases[] = {
        // X (null: declared without value, "-": absent), operator, right operand, holds
        {"ABC", Op::Equal, "abc", true},    {"abd", Op::Equal, "abc", false},
        {"x", Op::NotEqual, "y", true},     {"abc", Op::Greater, "ab", true},
        {"abc", Op::Less, "ab", false},     {nullptr, Op::Equal, "x", false},
        {nullptr, Op::NotEqual, "x", true}, {nullptr, Op::Resolves, nullptr, true},
        {"-", Op::Resolves, nullptr, false}};
    for (const auto& [held, type, rhs, holds] : cases) {
        std::vector<Assignment> variables;
        if (!held || *held != '-') variables.push_back(assign("X", held ? raw(held) : nullptr));
        const ContextPtr context = contextWith(
            variables, {when("X", type, rhs ? raw(rhs) : nullptr, {assign("hit", num(1))})});
        context->evaluateConditions();
        EXPECT_EQ(context->hasVariable("hit"), holds)
            << (held ? held : "null") << " " << static_cast<int>(type);
        EXPECT_EQ(context->conditions.size(), holds ? 0u : 1u);
    }
}

TEST(Conditions, NestedBlocksComeRightAfterTheirParentAndApplyTheirOperators) {
    // if A { B = 1  if B { C = 1 } }  if C { D = 1  V += "x"  W ?= "x" }
    const ContextPtr context =
        contextWith({assign("A", num(1)), assign("V", raw("a")), assign("W", raw("keep"))},
                    {when("A", Op::Resolves, nullptr, {assign("B", num(1))},
                          {when("B", Op::Resolves, nullptr, {assign("C", num(1))})}),
                     when("C", Op::Resolves, nullptr,
                          {assign("D", num(1)), assign("V", raw("x"), AssignType::Append),
                           assign("W", raw("x"), AssignType::SetIfUnset)})});
    context->evaluateConditions();
    EXPECT_TRUE(context->hasVariable("D"));
    EXPECT_TRUE(context->conditions.empty());
    EXPECT_EQ(textOf(*context, "V"), "a x");
    EXPECT_EQ(textOf(*context, "W"), "keep");
}

TEST(Conditions, ThoseNotAppliedStayInOrderAlsoWhenATestFails) {
    // if Missing { }  if A = "1" { E = 1 }  if Cfg = "x" { }  if Other { }
    const ContextPtr context = contextWith(
        {assign("A", raw("1")), assign("Cfg", nested(std::make_shared<Context>()))},
        {when("Missing", Op::Resolves, nullptr, {}),
         when("A", Op::Equal, raw("1"), {assign("E", num(1))}),
         when("Cfg", Op::Equal, raw("x"), {}), when("Other", Op::Resolves, nullptr, {})});
    EXPECT_THROW(context->evaluateConditions(), BadConversion);
    EXPECT_TRUE(context->hasVariable("E"));
    std::vector<std::string> left;
    for (const Condition& condition : context->conditions)
        left.push_back(condition.lhs->toString());
    EXPECT_EQ(left, (std::vector<std::string>{"Missing", "Cfg", "Other"}));
}
