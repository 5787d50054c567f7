#include "util/ci_string.h"

#include <map>
#include <unordered_map>

#include <gtest/gtest.h>

using Util::CiString;

TEST(CiString, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(CiString("CFLAGS"), CiString("cflags"));
    EXPECT_EQ(CiString("CFlags"), CiString("cflags"));
    EXPECT_FALSE(CiString("CFLAGS") < CiString("cflags"));
    EXPECT_FALSE(CiString("cflags") < CiString("CFlags"));
    EXPECT_FALSE(CiString("x-y") == CiString("x_y"));
    EXPECT_FALSE(CiString("\xC3\x84") == CiString("\xC3\xA4"));
    EXPECT_FALSE(CiString("ab") == CiString("abc"));
    EXPECT_EQ(CiString(""), CiString(""));
}

TEST(CiString, OrdersByFoldedSignedBytes) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"ab", "AbC", true}, {"AbC", "ab", false}, {"a", "B", true},     {"B", "c", true},
        {"_a", "Za", true},  {"_a", "[a", false},  {"\xC3x", "a", true}, {"a", "\xC3x", false},
        {"", "a", true},     {"", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CiString(c.a) < CiString(c.b), c.less) << c.a << " < " << c.b;
    }
}

TEST(CiString, HashMatchesStoredValues) {
    EXPECT_EQ(CiString::hash(""), 0u);
    EXPECT_EQ(CiString::hash("a"), 0x9e377a1aULL);
    EXPECT_EQ(CiString::hash("abc"), 0xa16fb515711ULL);
    EXPECT_EQ(CiString::hash("ABC"), 0xa16fb515711ULL);
    EXPECT_EQ(std::hash<CiString>{}(CiString("CFlags")), std::hash<CiString>{}(CiString("cflags")));
}

TEST(CiString, MapsKeepTheFirstSpelling) {
    std::map<CiString, int> ordered{{"Out", 1}};
    ordered["OUT"] = 2;
    ASSERT_EQ(ordered.size(), 1u);
    EXPECT_EQ(ordered.begin()->first.str(), "Out");
    EXPECT_EQ(ordered.begin()->second, 2);

    std::unordered_map<CiString, int> hashed{{"Out", 1}};
    EXPECT_EQ(hashed.count("oUT"), 1u);
    EXPECT_EQ(fmt::format("{}", hashed.begin()->first), "Out");
}
