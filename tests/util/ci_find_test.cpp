#include "util/ci_find.h"

#include <gtest/gtest.h>

TEST(CiFind, FindsTheFirstMatchAtOrAfterStart) {
    constexpr std::size_t npos = std::string::npos;
    struct Case {
        const char* haystack;
        const char* needle;
        std::size_t start, expected;
    };
    const Case cases[] = {
        {"Hello ${Name}", "${", 0, 6}, {"abcABC", "ABC", 1, 3}, {"ab", "abc", 0, npos},
        {"abc", "x", 0, npos},         {"abc", "", 1, 1},       {"abc", "", 3, npos},
        {"", "", 0, npos},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Util::ciFind(c.haystack, c.needle, c.start), c.expected)
            << c.haystack << " / " << c.needle << " @" << c.start;
    }
}
