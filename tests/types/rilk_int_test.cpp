#include "types/rilk_int.h"

#include <gtest/gtest.h>

#include <limits>

#include "types/rilk_list.h"
#include "types/rilk_string.h"
#include "types/value_test_helpers.h"

namespace Rilk {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct SumCase {
    std::int32_t a;
    std::int32_t b;
    std::int32_t sum;
    friend void PrintTo(const SumCase& c, std::ostream* os) { *os << c.a << "+" << c.b; }
};

class RilkIntSumTest : public testing::TestWithParam<SumCase> {};

TEST_P(RilkIntSumTest, AddAndAppendWrapAround) {
    const SumCase& c = GetParam();
    const RilkInt a(c.a);
    EXPECT_EQ(a.add(RilkInt(c.b))->toString(), std::to_string(c.sum));
    EXPECT_EQ(a.number(), c.a);
    RilkInt inPlace(c.a);
    inPlace.append(RilkInt(c.b));
    EXPECT_EQ(inPlace.number(), c.sum);
}

INSTANTIATE_TEST_SUITE_P(Sums, RilkIntSumTest,
                         testing::Values(SumCase{2, 3, 5}, SumCase{kMax, 1, kMin},
                                         SumCase{kMin, -1, kMax}, SumCase{kMin, kMin, 0},
                                         SumCase{-7, 7, 0}));

TEST(RilkIntTest, TextForms) {
    EXPECT_EQ(RilkInt(-7).toString(), "-7");
    EXPECT_EQ(RilkInt(0).toString(), "0");
    EXPECT_EQ(RilkInt(42).toDisplayString(), "42");
    EXPECT_EQ(RilkInt(kMin).toString(), "-2147483648");
}

TEST(RilkIntTest, ComparesSigned) {
    EXPECT_TRUE(RilkInt(-1).less(RilkInt(0)));
    EXPECT_TRUE(RilkInt(3).greater(RilkInt(-3)));
    EXPECT_TRUE(RilkInt(3).equals(RilkInt(3)));
    EXPECT_TRUE(RilkInt(3).notEquals(RilkInt(4)));
}

TEST(RilkIntTest, OtherOperandTypesRaiseBadConversionNamingThisValueFirst) {
    RilkInt one(1);
    const auto text = makeString("1");
    const std::string message = "Cannot convert RilkInt 1 to RilkString";
    expectRilkError<BadConversion>([&] { one.equals(*text); }, message);
    expectRilkError<BadConversion>([&] { one.notEquals(*text); }, message);
    expectRilkError<BadConversion>([&] { one.greater(*text); }, message);
    expectRilkError<BadConversion>([&] { one.less(*text); }, message);
    expectRilkError<BadConversion>([&] { one.add(*text); }, message);
    expectRilkError<BadConversion>([&] { one.append(RilkList()); },
                                   "Cannot convert RilkInt 1 to RilkList");
}

TEST(RilkIntTest, HasNoIndexing) {
    expectRilkError<IndexException>([] { RilkInt(5).get(std::int64_t{0}); },
                                    "Variable 5 cannot be indexed with [0]");
}

TEST(RilkIntTest, LoopVisitsNothing) {
    const RilkInt n(9);
    EXPECT_TRUE(valueBegin(n) == valueEnd(n));
    EXPECT_EQ((*valueBegin(n))->toString(), "9");
}

}  // namespace
}  // namespace Rilk
