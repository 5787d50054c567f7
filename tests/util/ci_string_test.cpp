#include "util/ci_string.h"

#include <unordered_map>
#include <vector>

#include <gtest/gtest.h>

using Util::CiString;

TEST(CiString, ComparesByFoldedSignedBytes) {
    // In ascending order; the spellings within one group are equal.
    const std::vector<std::vector<const char*>> groups = {
        {"", ""}, {"\xC3\x84"}, {"\xC3\xA4"}, {"\xC3x"}, {"[a"}, {"_a"},
        {"a"},    {"ab"},       {"AbC"},      {"B"},     {"c"},  {"CFLAGS", "CFlags", "cflags"},
        {"x-y"},  {"x_y"},      {"Za"}};
    for (std::size_t i = 0; i < groups.size(); ++i) {
        for (std::size_t j = 0; j < groups.size(); ++j) {
            for (const char* a : groups[i]) {
                for (const char* b : groups[j]) {
                    EXPECT_EQ(CiString(a) == CiString(b), i == j) << a << " == " << b;
                    EXPECT_EQ(CiString(a) < CiString(b), i < j) << a << " < " << b;
                }
            }
        }
    }
}

TEST(CiString, HashesFoldedTextToTheStoredValues) {
    EXPECT_EQ(CiString::hash(""), 0u);
    EXPECT_EQ(CiString::hash("a"), 0x9e377a1aULL);
    EXPECT_EQ(CiString::hash("abc"), 0xa16fb515711ULL);
    EXPECT_EQ(CiString::hash("ABC"), 0xa16fb515711ULL);
    const std::unordered_map<CiString, int> map{{"Out", 1}};
    EXPECT_EQ(map.count("oUT"), 1u);
    EXPECT_EQ(fmt::format("{}", map.begin()->first), "Out");
}
