#include "types/rilk_identifier.h"

#include <gtest/gtest.h>

#include <functional>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

std::string badOperation(const std::function<void()>& action) {
    try {
        action();
    } catch (const BadOperation& e) {
        return e.message();
    }
    return "no error";
}

TEST(RilkIdentifier, PrintsItsWrittenFormAndRefusesArithmetic) {
    EXPECT_EQ(ref("a.b[1][2..5][c.d]")->toDisplayString(), "a.b[1][2..5][c.d]");
    EXPECT_EQ(badOperation([] { ref("a")->add(*raw("x")); }),
              "a is not resolved yet and '\"x\"' cannot be added.");
    EXPECT_EQ(badOperation([] { ref("a")->append(*num(2)); }),
              "a is not resolved yet and '2' cannot be appended to it.");
}

TEST(RilkIdentifier, EqualsEverythingAndOrdersNothing) {
    for (const RilkValuePtr& other : {list({}), num(1), ref("b"), raw("s")}) {
        EXPECT_TRUE(ref("a")->equals(*other));
        EXPECT_FALSE(ref("a")->less(*other) || ref("a")->greater(*other));
    }
    EXPECT_TRUE(valueBegin(*ref("a")) == valueEnd(*ref("a")));
}

TEST(RilkIdentifier, ResolvesThroughItsResolverOnly) {
    Context context;
    set(context, "a", raw("value"));
    const auto id = std::make_shared<RilkIdentifier>(ident("a"));
    EXPECT_THROW(id->resolve(), RilkException);
    id->setResolver(&context);
    EXPECT_EQ(id->resolve()->toString(), "value");
    EXPECT_EQ(id->toString(), "a");
    EXPECT_EQ(dynamic_cast<Resolvable&>(*id->clone()).resolver(), nullptr);
}

}  // namespace
}  // namespace Rilk
