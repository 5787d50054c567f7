#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(RilkIdentifier, RefusesArithmeticEqualsEverythingAndOrdersNothing) {
    EXPECT_EQ(errorText<BadOperation>([] { ref("a.b[1]")->add(*raw("x")); }),
              "a.b[1] is not resolved yet and '\"x\"' cannot be added.");
    EXPECT_EQ(errorText<BadOperation>([] { ref("a")->append(*num(2)); }),
              "a is not resolved yet and '2' cannot be appended to it.");
    for (const RilkValuePtr& other : {RilkValuePtr(list()), num(1), ref("b"), raw("s")}) {
        EXPECT_TRUE(ref("a")->equals(*other));
        EXPECT_FALSE(ref("a")->less(*other) || ref("a")->greater(*other));
    }
    // Its empty iterator handles make an empty loop.
    EXPECT_TRUE(texts(*ref("a")).empty());
    EXPECT_THROW(*valueBegin(*ref("a")), InternalError);
    EXPECT_FALSE(valueBegin(*ref("a")) == valueBegin(*str("a")));
    EXPECT_THROW(RilkIdentifier(ident("a")).resolve(), RilkException);  // without a resolver
}
