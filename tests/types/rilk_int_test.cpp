#include <limits>

#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(RilkInt, AddAndAppendWrapAroundTextAndComparisonAreSigned) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const std::int32_t sums[][3] = {{2, 3, 5}, {kMax, 1, kMin}, {kMin, -1, kMax}, {kMin, kMin, 0}};
    for (const auto& [a, b, sum] : sums) {
        RilkInt value(a);
        EXPECT_EQ(value.add(RilkInt(b))->toString(), std::to_string(sum)) << a << "+" << b;
        EXPECT_EQ(value.number(), a);
        value.append(RilkInt(b));
        EXPECT_EQ(value.number(), sum) << a << "+" << b;
    }
    EXPECT_EQ(RilkInt(-7).toString(), "-7");
    EXPECT_EQ(RilkInt(0).toString(), "0");
    EXPECT_EQ(RilkInt(42).toDisplayString(), "42");
    EXPECT_TRUE(RilkInt(-1).less(RilkInt(0)));
    EXPECT_TRUE(RilkInt(3).greater(RilkInt(-3)));
    EXPECT_TRUE(RilkInt(3).equals(RilkInt(3)));
    EXPECT_TRUE(RilkInt(3).notEquals(RilkInt(4)));
}

TEST(RilkInt, OtherOperandsRaiseBadConversionAndItHasNoIndexingNorElements) {
    RilkInt one(1);
    for (auto op : {&RilkValue::equals, &RilkValue::greater, &RilkValue::less}) {
        EXPECT_EQ(errorText<BadConversion>([&] { (one.*op)(*str("1")); }),
                  "Cannot convert RilkInt 1 to RilkString");
    }
    EXPECT_EQ(errorText<BadConversion>([&] { one.add(*str("1")); }),
              "Cannot convert RilkInt 1 to RilkString");
    EXPECT_EQ(errorText<BadConversion>([&] { one.append(RilkList()); }),
              "Cannot convert RilkInt 1 to RilkList");
    EXPECT_EQ(errorText<IndexException>([] { RilkInt(5).get(std::int64_t{0}); }),
              "Variable 5 cannot be indexed with [0]");
    EXPECT_TRUE(valueBegin(RilkInt(9)) == valueEnd(RilkInt(9)));
    EXPECT_EQ((*valueBegin(RilkInt(9)))->toString(), "9");
}
