#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

/// A list that counts how often it is resolved.
class CountingList : public RilkList {
  public:
    explicit CountingList(int& count) : count_(count) {}
    RilkValuePtr resolve() override {
        ++count_;
        return RilkList::resolve();
    }

  private:
    int& count_;
};

TEST(ContextResolution, ResolvesEachVariableOnceUntilItChanges) {
    int xCount = 0;
    int yCount = 0;
    Context context;
    set(context, "X", std::make_shared<CountingList>(xCount));
    set(context, "Y", std::make_shared<CountingList>(yCount));
    context.resolveAll();
    EXPECT_EQ(xCount, 1);
    EXPECT_EQ(yCount, 1);
    context.resolveAll();
    EXPECT_EQ(xCount, 1);
    // The resolved value replaced the counting list; appending to it marks X unresolved.
    auto counted = std::make_shared<CountingList>(xCount);
    set(context, "X", counted);
    context.addAssignment(assign("X", raw("y"), AssignType::Append), kKeepModifier);
    context.resolveAll();
    EXPECT_EQ(xCount, 2);
    EXPECT_EQ(yCount, 1);
    EXPECT_EQ(textOf(context, "X"), "y");
}

TEST(ContextResolution, ResolveAllLogsAtLevelOne) {
    Context context;
    CapturedLog log(1);
    context.resolveAll();
    EXPECT_EQ(log.text(), "Resolving variables.\n");
}

TEST(ContextResolution, AFailedResolutionLeavesTheVariableUnresolved) {
    Context context;
    const RilkValuePtr dangling = ref("missing");
    set(context, "a", dangling);
    EXPECT_THROW(context.resolveAll(), NotFoundException);
    EXPECT_EQ(context.getVariable("a"), dangling);
    EXPECT_FALSE(context.assignments.at("a").resolved);
}

TEST(ContextResolution, ResolveValueLeavesPlainValuesAlone) {
    const RilkValuePtr number = num(4);
    EXPECT_EQ(resolveValue(number), number);
    EXPECT_EQ(resolveValue(nullptr), nullptr);
}

std::string loopMessage(Context& context, const std::string& name) {
    try {
        context.resolve(ident(name));
    } catch (const LoopFoundException& e) {
        return e.message();
    }
    return "no loop reported";
}

TEST(ContextResolution, AVariableThatNeedsItselfIsALoop) {
    Context self;
    set(self, "x", ref("x"));
    EXPECT_EQ(loopMessage(self, "x"),
              "Loop detected! Causing term: 'x'\n  loop goes as follows: x <- ");

    Context pair;
    set(pair, "a", ref("b"));
    set(pair, "b", ref("a"));
    EXPECT_EQ(loopMessage(pair, "a"),
              "Loop detected! Causing term: 'a'\n  loop goes as follows: b <- a <- ");
    EXPECT_THROW(pair.resolveAll(), LoopFoundException);
    EXPECT_FALSE(pair.assignments.at("a").resolved);

    // Nothing of a failed resolution stays marked: an unrelated variable still resolves.
    set(pair, "c", raw("fine"));
    set(pair, "d", ref("c"));
    EXPECT_EQ(pair.resolve(ident("d"))->toString(), "fine");
}

TEST(ContextResolution, LoopsThroughElementsAndNestedContextsAreCaught) {
    Context indexed;
    set(indexed, "a", list({ref("a[0]")}));
    EXPECT_NE(loopMessage(indexed, "a").find("Causing term: 'a[0]'"), std::string::npos);

    Context outer;
    auto inner = std::make_shared<Context>();
    set(*inner, "y", ref("cfg"));
    set(outer, "cfg", nested(inner));
    EXPECT_NE(loopMessage(outer, "cfg").find("Causing term: 'cfg'"), std::string::npos);
}

}  // namespace
}  // namespace Rilk
