#include "tools/version_rules.h"

#include <gtest/gtest.h>

namespace {

using Components = std::vector<std::uint32_t>;

TEST(VersionRules, ParseVersionReadsEveryComponentAndNeverFails) {
    const std::pair<std::string, Components> cases[] = {
        {"12.2.0", {12, 2, 0}},
        {"10", {10}},
        {"3rc1.x", {3, 0}},
        {"1..2", {1, 0, 2}},
        {".5", {0, 5}},
        {"1.2.", {1, 2}},
        {"", {}},
        {" 7.+8", {7, 8}},
        {"4294967297.1", {1, 1}},               // fits 64 bits: low 32 bits kept
        {"99999999999999999999999.2", {0, 2}},  // beyond 64 bits
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Rilk::parseVersion(text), expected) << '"' << text << '"';
    }
}

TEST(VersionRules, CompareVersionsIsNumericWithMissingComponentsAsZero) {
    struct Case {
        const char* a;
        const char* b;
        int result;
    };
    const Case cases[] = {
        {"12.2.0", "12.10", -1}, {"1.0", "1", 0},     {"2", "10", -1},        {"", "0", 0},
        {"13", "12.9.9", 1},     {"12", "12.0.0", 0}, {"12.10", "12.2.0", 1}, {"9", "", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Rilk::compareVersions(c.a, c.b), c.result) << c.a << " vs " << c.b;
    }
}

TEST(VersionRules, MeetsMinVersionAcceptsEqualOrHigher) {
    struct Case {
        const char* version;
        const char* minimum;
        bool met;
    };
    const Case cases[] = {
        {"", "", true},         {"9.1", "0", true},         {"12.2.0", "12.2", true},
        {"12.2.0", "12", true}, {"", "1", false},           {"11.4.0", "12", false},
        {"", "0.0", true},      {"13.1.0", "12.2.0", true}, {"12.1.9", "12.2", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Rilk::meetsMinVersion(c.version, c.minimum), c.met)
            << '"' << c.version << "\" >= \"" << c.minimum << '"';
    }
}

}  // namespace
