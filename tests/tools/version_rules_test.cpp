#include "tools/version_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionRules, ParseVersionReadsEveryComponentAndNeverFails) {
    // 2^32+1 keeps its low 32 bits; 2^64 does not fit and gives 0.
    const std::pair<std::string, std::vector<std::uint32_t>> cases[] = {
        {"12.2.0", {12, 2, 0}},
        {"10", {10}},
        {"3rc1.x", {3, 0}},
        {"1..2", {1, 0, 2}},
        {".5", {0, 5}},
        {"1.2.", {1, 2}},
        {"", {}},
        {" 7.+8", {7, 8}},
        {"4294967297.1", {1, 1}},
        {"18446744073709551616.2", {0, 2}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Rilk::parseVersion(text), expected) << '"' << text << '"';
    }
}

TEST(VersionRules, CompareVersionsIsNumericWithMissingComponentsAsZero) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"12.2.0", "12.10", -1}, {"1.0", "1", 0},     {"2", "10", -1},        {"", "0", 0},
        {"13", "12.9.9", 1},     {"12", "12.0.0", 0}, {"12.10", "12.2.0", 1}, {"9", "", 1},
    };
    for (const auto& [a, b, result] : cases) {
        EXPECT_EQ(Rilk::compareVersions(a, b), result) << a << " vs " << b;
    }
}

TEST(VersionRules, MeetsMinVersionAcceptsEqualOrHigher) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"", "", true},         {"9.1", "0", true},         {"12.2.0", "12.2", true},
        {"12.2.0", "12", true}, {"", "1", false},           {"11.4.0", "12", false},
        {"", "0.0", true},      {"13.1.0", "12.2.0", true}, {"12.1.9", "12.2", false},
    };
    for (const auto& [version, minimum, met] : cases) {
        EXPECT_EQ(Rilk::meetsMinVersion(version, minimum), met) << version << " >= " << minimum;
    }
}

}  // namespace
