#include "types/value_utils.h"

#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(ValueUtils, FlattenGivesTheLeavesToAnyDepth) {
    using Values = std::vector<RilkValuePtr>;
    const RilkValuePtr a = str("a"), b = str("b"), c = str("c"), one = num(1);
    EXPECT_EQ(flattenValue(list({a, list({b}), list({list({c})}), one})), (Values{a, b, c, one}));
    EXPECT_EQ(flattenValue(a), (Values{a}));
    EXPECT_TRUE(flattenValue(list()).empty());
    EXPECT_TRUE(flattenValue(nullptr).empty());
}
