#include "util/ci_find.h"

#include <gtest/gtest.h>

namespace Util {
namespace {

struct FindCase {
    std::string haystack;
    const char* needle;
    std::size_t start;
    std::size_t expected;
    friend void PrintTo(const FindCase& c, std::ostream* os) {
        *os << c.haystack << " / " << c.needle << " @" << c.start;
    }
};

class CiFindTest : public testing::TestWithParam<FindCase> {};

TEST_P(CiFindTest, FindsFirstMatchAtOrAfterStart) {
    const FindCase& c = GetParam();
    EXPECT_EQ(ciFind(c.haystack, c.needle, c.start), c.expected);
}

constexpr std::size_t npos = std::string::npos;

INSTANTIATE_TEST_SUITE_P(
    Cases, CiFindTest,
    testing::Values(FindCase{"Hello ${Name}", "${", 0, 6}, FindCase{"ABC", "bc", 0, 1},
                    FindCase{"abc", "", 1, 1}, FindCase{"abc", "", 3, npos},
                    FindCase{"abc", "x", 0, npos}, FindCase{"abcabc", "ABC", 1, 3},
                    FindCase{"ab", "abc", 0, npos}, FindCase{"", "", 0, npos},
                    FindCase{"}x}", "}", 1, 2}, FindCase{"abc", "a", 4, npos}));

}  // namespace
}  // namespace Util
