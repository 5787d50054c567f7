#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

Resolver* resolverOf(const RilkValuePtr& value) {
    return dynamic_cast<Resolvable&>(*value).resolver();
}

TEST(ContextCopy, AppendingInTheCopyLeavesTheSourceUnchanged) {
    Context source;
    set(source, "s", str("x"));
    set(source, "l", list({str("a")}));
    Context copy(source);
    copy.addAssignment(assign("s", str("y"), AssignType::Append), kKeepModifier);
    copy.addAssignment(assign("l", str("b"), AssignType::Append), kKeepModifier);
    EXPECT_EQ(textOf(copy, "s"), "x y");
    EXPECT_EQ(textOf(copy, "l"), "a b");
    EXPECT_EQ(textOf(source, "s"), "x");
    EXPECT_EQ(textOf(source, "l"), "a");
}

TEST(ContextCopy, ResolvingTheCopyResolvesInTheCopyOnly) {
    Context source;
    set(source, "a", ref("b"));
    set(source, "b", raw("source"));
    Context copy = source;
    set(copy, "b", raw("copy"));
    copy.resolveAll();
    EXPECT_EQ(textOf(copy, "a"), "copy");
    EXPECT_EQ(source.getVariable("a")->typeName(), "RilkIdentifier");
    EXPECT_FALSE(source.assignments.at("a").resolved);
    EXPECT_EQ(resolverOf(source.getVariable("a")), &source);
}

TEST(ContextCopy, NestedContextsAreCopiedToo) {
    auto inner = std::make_shared<Context>();
    set(*inner, "x", str("1"));
    Context source;
    set(source, "cfg", nested(inner));
    Context copy(source);
    copy.getVariable("cfg")->append(
        *nested(std::make_shared<Context>(set(*std::make_shared<Context>(), "y", str("2")))));
    copy.addAssignment(assign("cfg", str("z"), AssignType::Append), kKeepModifier);
    EXPECT_EQ(textOf(copy, "cfg"), "x y z");
    EXPECT_EQ(textOf(source, "cfg"), "x");
}

TEST(ContextCopy, ConditionsOfTheCopyTestTheCopy) {
    Context source;
    const auto body = std::make_shared<ContextTemplate>(std::vector{assign("Y", str("1"))});
    source.conditions.push_back(
        Condition{ref("X"), nullptr, Condition::OperatorType::Resolves, body});
    source.conditions.back().lhs = ref("X");
    dynamic_cast<Resolvable&>(*source.conditions.back().lhs).setResolver(&source);
    Context copy(source);
    set(copy, "X", raw("on"));
    copy.evaluateConditions();
    EXPECT_TRUE(copy.hasVariable("Y"));
    EXPECT_TRUE(copy.conditions.empty());
    EXPECT_FALSE(source.hasVariable("Y"));
    EXPECT_EQ(source.conditions.size(), 1u);
}

TEST(ContextCopy, ATargetBuiltFromACopyLeavesTheSourceAlone) {
    Context runtime;
    set(runtime, "FLAGS", raw("-O2"));
    set(runtime, "ref", ref("FLAGS"));
    auto target = std::make_shared<TargetContext>(
        QualifiedTargetName("", "u", "t"), std::vector<std::string>{}, std::vector<RilkValuePtr>{},
        std::vector{assign("own", num(1))}, std::vector<Condition>{}, std::vector<Dependency>{});
    const Context inherited = runtime;
    target->addContext(inherited, 0, kTakeModifier, false);
    target->addAssignment(assign("FLAGS", raw("-g"), AssignType::Append), kKeepModifier);
    target->resolveAll();
    EXPECT_EQ(textOf(*target, "ref"), "-O2 -g");
    EXPECT_EQ(textOf(runtime, "FLAGS"), "-O2");
    EXPECT_EQ(runtime.getVariable("ref")->typeName(), "RilkIdentifier");
}

TEST(ContextCopy, MovingRebindsTheMovedValues) {
    Context source;
    set(source, "a", ref("b"));
    set(source, "b", raw("v"));
    const auto moved = std::make_shared<Context>(std::move(source));
    EXPECT_EQ(resolverOf(moved->getVariable("a")), moved.get());
    EXPECT_EQ(textOf(*moved, "a"), "b");
    moved->resolveAll();
    EXPECT_EQ(textOf(*moved, "a"), "v");
}

TEST(ContextTemplate, CombinesAssignmentsInSourceOrder) {
    const ContextTemplate block({assign("A", str("x")), assign("a", str("y"), AssignType::Append),
                                 assign("B", str("1"), AssignType::SetIfUnset),
                                 assign("b", str("2"), AssignType::SetIfUnset)});
    const ContextPtr context = block.createContext();
    ASSERT_EQ(context->assignments.size(), 2u);
    EXPECT_EQ(context->assignments.at("a").name, "A");
    EXPECT_EQ(context->assignments.at("a").type, AssignType::Set);
    EXPECT_EQ(textOf(*context, "A"), "x y");
    EXPECT_EQ(textOf(*context, "b"), "1");
    EXPECT_EQ(block.assignments[0].value->toString(), "x");
    EXPECT_EQ(context->shared_from_this(), context);
}

TEST(ContextTemplate, ContextsFromOneTemplateShareNoValues) {
    const ContextTemplate block({assign("a", ref("b")), assign("b", raw("1"))});
    const ContextPtr first = block.createContext();
    const ContextPtr second = block.createContext();
    EXPECT_NE(first->getVariable("a"), second->getVariable("a"));
    set(*second, "b", raw("2"));
    first->resolveAll();
    second->resolveAll();
    EXPECT_EQ(textOf(*first, "a"), "1");
    EXPECT_EQ(textOf(*second, "a"), "2");
}

TEST(ContextTemplate, BindsClonedConditionOperandsToTheNewContext) {
    ContextTemplate block;
    block.conditions.push_back(
        Condition{ref("X"), str("on"), Condition::OperatorType::Equal, nullptr});
    const ContextPtr context = block.createContext();
    ASSERT_EQ(context->conditions.size(), 1u);
    EXPECT_NE(context->conditions[0].lhs, block.conditions[0].lhs);
    EXPECT_EQ(resolverOf(context->conditions[0].lhs), context.get());
    EXPECT_EQ(resolverOf(block.conditions[0].lhs), nullptr);
}

}  // namespace
}  // namespace Rilk
