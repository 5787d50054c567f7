#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

Resolver* resolverOf(const RilkValuePtr& value) {
    return dynamic_cast<Resolvable&>(*value).resolver();
}

TEST(ContextCopy, AppendingOrResolvingInTheCopyLeavesTheSourceUnchanged) {
    auto inner = std::make_shared<Context>();
    set(*inner, "x", raw("1"));
    Context source;
    set(source, "s", raw("x"));
    set(source, "a", ref("b"));
    set(source, "b", raw("source"));
    set(source, "cfg", nested(inner));
    Context copy(source);
    set(copy, "s", raw("y"), AssignType::Append);
    set(copy, "b", raw("copy"));
    set(copy, "cfg", makeString("z"), AssignType::Append);
    copy.resolveAll();
    EXPECT_EQ(textOf(copy, "s"), "x y");
    EXPECT_EQ(textOf(copy, "a"), "copy");
    EXPECT_EQ(textOf(copy, "cfg"), "x z");
    EXPECT_EQ(textOf(source, "s"), "x");
    EXPECT_EQ(textOf(source, "cfg"), "x");
    EXPECT_EQ(source.getVariable("a")->typeName(), "RilkIdentifier");
    EXPECT_EQ(resolverOf(source.getVariable("a")), &source);
}

TEST(ContextCopy, ATargetMergedFromACopyLeavesTheSourceAlone) {
    Context runtime;
    set(runtime, "FLAGS", raw("-O2"));
    set(runtime, "ref", ref("FLAGS"));
    auto target = std::make_shared<TargetContext>(Context(), QualifiedTargetName("", "u", "t"));
    target->addContext(Context(runtime), 0, kTakeModifier, false);
    set(*target, "FLAGS", raw("-g"), AssignType::Append);
    target->resolveAll();
    EXPECT_EQ(textOf(*target, "ref"), "-O2 -g");
    EXPECT_EQ(textOf(runtime, "FLAGS"), "-O2");
    EXPECT_EQ(runtime.getVariable("ref")->typeName(), "RilkIdentifier");
}

TEST(ContextCopy, ConditionsOfTheCopyTestTheCopy) {
    const auto body = std::make_shared<ContextTemplate>(std::vector{assign("Y", num(1))});
    const ContextPtr source =
        ContextTemplate({}, {Condition{ref("X"), nullptr, Condition::OperatorType::Resolves, body}})
            .createContext();
    Context copy(*source);
    set(copy, "X", num(1));
    copy.evaluateConditions();
    EXPECT_TRUE(copy.hasVariable("Y"));
    EXPECT_FALSE(source->hasVariable("Y"));
    EXPECT_EQ(source->conditions.size(), 1u);
}

TEST(ContextCopy, MovingRebindsTheMovedValues) {
    Context source;
    set(source, "a", ref("b"));
    set(source, "b", raw("v"));
    const auto moved = std::make_shared<Context>(std::move(source));
    EXPECT_EQ(resolverOf(moved->getVariable("a")), moved.get());
    moved->resolveAll();
    EXPECT_EQ(textOf(*moved, "a"), "v");
}

TEST(ContextTemplate, CombinesAssignmentsInSourceOrderIntoIndependentContexts) {
    const ContextTemplate block({assign("A", raw("x")), assign("a", raw("y"), AssignType::Append),
                                 assign("r", ref("b")), assign("b", raw("1"))});
    const ContextPtr first = block.createContext();
    const ContextPtr second = block.createContext();
    EXPECT_EQ(first->assignments.at("a").name, "A");
    EXPECT_EQ(first->assignments.at("a").type, AssignType::Set);
    EXPECT_EQ(textOf(*first, "A"), "x y");
    EXPECT_EQ(block.assignments[0].value->toString(), "x");
    set(*second, "b", raw("2"));
    first->resolveAll();
    second->resolveAll();
    EXPECT_EQ(textOf(*first, "r"), "1");
    EXPECT_EQ(textOf(*second, "r"), "2");
}

}  // namespace
}  // namespace Rilk
