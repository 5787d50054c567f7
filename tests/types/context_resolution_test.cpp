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
    context.resolveAll();
    EXPECT_EQ(xCount, 1);
    set(context, "X", std::make_shared<CountingList>(xCount));
    set(context, "X", raw("y"), AssignType::Append);
    context.resolveAll();
    EXPECT_EQ(xCount, 2);
    EXPECT_EQ(yCount, 1);
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
    Context context;
    set(context, "x", ref("x"));
    set(context, "a", ref("b"));
    set(context, "b", ref("a"));
    set(context, "l", list({ref("l[0]")}));
    auto inner = std::make_shared<Context>();
    set(*inner, "y", ref("cfg"));
    set(context, "cfg", nested(inner));
    EXPECT_EQ(loopMessage(context, "x"),
              "Loop detected! Causing term: 'x'\n  loop goes as follows: x <- ");
    EXPECT_EQ(loopMessage(context, "a"),
              "Loop detected! Causing term: 'a'\n  loop goes as follows: b <- a <- ");
    EXPECT_EQ(loopMessage(context, "l").find("Causing term: 'l[0]'"), 15u);
    EXPECT_EQ(loopMessage(context, "cfg").find("Causing term: 'cfg'"), 15u);
    EXPECT_FALSE(context.assignments.at("a").resolved);
    // Nothing stays marked after a loop: a variable used in one still resolves elsewhere.
    set(context, "b", raw("fine"));
    EXPECT_EQ(context.resolve(ident("a"))->toString(), "fine");
}

}  // namespace
}  // namespace Rilk
