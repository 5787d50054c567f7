#include "util/ci_string.h"

#include <map>
#include <unordered_map>

#include <gtest/gtest.h>

using Util::CiString;

TEST(CiString, ComparesByFoldedSignedBytes) {
    struct Case {
        const char* a;
        const char* b;
        int order;  // -1: a < b, 0: equal, 1: a > b
    };
    const Case cases[] = {
        {"CFLAGS", "cflags", 0}, {"CFlags", "cflags", 0}, {"", "", 0},      {"x-y", "x_y", -1},
        {"\xC3\x84", "\xC3\xA4", -1}, {"ab", "AbC", -1}, {"a", "B", -1},      {"B", "c", -1},
        {"_a", "Za", -1},          {"_a", "[a", 1},       {"\xC3x", "a", -1}, {"", "a", -1},
    };
    for (const Case& c : cases) {
        const CiString a(c.a), b(c.b);
        EXPECT_EQ(a == b, c.order == 0) << c.a << " == " << c.b;
        EXPECT_EQ(a < b, c.order < 0) << c.a << " < " << c.b;
        EXPECT_EQ(b < a, c.order > 0) << c.b << " < " << c.a;
    }
}

TEST(CiString, HashesFoldedTextToTheStoredValues) {
    EXPECT_EQ(CiString::hash(""), 0u);
    EXPECT_EQ(CiString::hash("a"), 0x9e377a1aULL);
    EXPECT_EQ(CiString::hash("abc"), 0xa16fb515711ULL);
    EXPECT_EQ(CiString::hash("ABC"), 0xa16fb515711ULL);
}

TEST(CiString, MapsKeepTheFirstSpelling) {
    std::map<CiString, int> ordered{{"Out", 1}};
    ordered["OUT"] = 2;
    ASSERT_EQ(ordered.size(), 1u);
    EXPECT_EQ(ordered.begin()->first.str(), "Out");
    std::unordered_map<CiString, int> hashed{{"Out", 1}};
    EXPECT_EQ(hashed.count("oUT"), 1u);
    EXPECT_EQ(fmt::format("{}", hashed.begin()->first), "Out");
}
