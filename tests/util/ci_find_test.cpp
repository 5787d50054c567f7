#include "util/ci_find.h"

#include <string>
#include <tuple>

#include <gtest/gtest.h>

TEST(CiFind, FindsTheFirstMatchAtOrAfterStart) {
    constexpr std::size_t npos = std::string::npos;
    // haystack, needle, start, expected position
    const std::tuple<std::string, const char*, std::size_t, std::size_t> cases[] = {
        {"a ${b}", "${", 0, 2}, {"abcABC", "ABC", 1, 3}, {"ab", "abc", 0, npos},
        {"abc", "x", 0, npos},  {"abc", "", 1, 1},       {"abc", "", 3, npos},
        {"", "", 0, npos},
    };
    for (const auto& [haystack, needle, start, expected] : cases) {
        EXPECT_EQ(Util::ciFind(haystack, needle, start), expected)
            << haystack << " / " << needle << " @" << start;
    }
}
