#include "types/rilk_string.h"

#include <gtest/gtest.h>

#include "types/rilk_raw_string.h"

namespace Rilk {
namespace {

struct QuoteCase {
    std::string text;
    std::string stringValue;
    friend void PrintTo(const QuoteCase& c, std::ostream* os) { *os << c.text; }
};

class RilkStringValueTest : public testing::TestWithParam<QuoteCase> {};

TEST_P(RilkStringValueTest, DropsOnePairOfSurroundingQuotes) {
    EXPECT_EQ(makeString(GetParam().text)->stringValue(), GetParam().stringValue);
}

INSTANTIATE_TEST_SUITE_P(Quotes, RilkStringValueTest,
                         testing::Values(QuoteCase{"\"a\"", "a"}, QuoteCase{"\"", "\""},
                                         QuoteCase{"\"a", "\"a"}, QuoteCase{"\"\"", ""},
                                         QuoteCase{"\"\"x\"\"", "\"x\""}, QuoteCase{"", ""}));

TEST(RilkStringTest, RawStringKeepsItsQuotes) {
    EXPECT_EQ(RilkRawString("\"a\"").stringValue(), "\"a\"");
}

TEST(RilkStringTest, TextAndDisplayForms) {
    const auto s = makeString(std::string("\"q\""));
    EXPECT_EQ(s->toString(), "\"q\"");
    EXPECT_EQ(s->toDisplayString(), "\"\"q\"\"");
    EXPECT_EQ(s->typeName(), "RilkString");
    EXPECT_EQ(RilkRawString("r").toDisplayString(), "\"r\"");
}

}  // namespace
}  // namespace Rilk
