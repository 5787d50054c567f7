#include "types/identifier.h"

#include <gtest/gtest.h>

#include "types/identifier_parser.h"

namespace Rilk {
namespace {

Identifier parsed(const std::string& text) {
    Identifier id;
    IdentifierParseState state{text.size(), text.data(), 0, nullptr};
    EXPECT_TRUE(parseKeyChain(state, id.segments, '\0')) << text;
    return id;
}

class IdentifierTextTest : public testing::TestWithParam<std::string> {};

TEST_P(IdentifierTextTest, PrintsItsWrittenForm) {
    EXPECT_EQ(parsed(GetParam()).toString(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(RoundTrip, IdentifierTextTest,
                         testing::Values("a", "a.b[1][2..5][c.d]", "x[y[0]].z",
                                         "list[18446744073709551615]", "_p.Q_1[3..0]"));

}  // namespace
}  // namespace Rilk
