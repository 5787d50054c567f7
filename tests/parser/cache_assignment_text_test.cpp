#include "parser/cache_assignment_text.h"

#include <string>

#include <gtest/gtest.h>

namespace Rilk {
namespace {

TEST(CacheAssignmentText, PlainVariableNamesAreIdentifiersButNoKeywords) {
    const std::pair<const char*, bool> cases[] = {
        {"unit", false},
        {"if", false},
        {"import", false},
        {"units", false},
        {"profiles", false},
        {"projects", false},
        {"tools", false},
        {"name", false},
        {"Unit", true},
        {"IF", true},
        {"units2", true},
        {"nam", true},
        {"names", true},
        {"profile", true},
        {"projectss", true},
        {"i", true},
        {"_", true},
        {"a-b_9", true},
        {"os_family", true},
        {"", false},
        {"9a", false},
        {"-a", false},
        {"a b", false},
        {"a.b", false},
        {"caf\xc3\xa9", false},
    };
    for (const auto& [name, plain] : cases) EXPECT_EQ(isPlainVariableName(name), plain) << name;
}

// Plain ASCII is checked eight bytes at a time: every other byte must still be seen wherever
// it falls in or across those eight-byte steps.
TEST(CacheAssignmentText, Utf8CheckedAtEveryOffset) {
    const std::pair<std::string, bool> pieces[] = {
        {"\xc3\xa9", true},
        {"\xe2\x82\xac", true},
        {"\xf0\x9f\x98\x80", true},
        {"\xff", false},
        {"\xc3", false},
        {"\xc0\xaf", false},
        {"\xed\xa0\x80", false},
        {"\xe2\x82", false},
        {"\xf4\x90\x80\x80", false},
        {std::string(1, '\0'), true},
        {"\x7f", true},
    };
    for (const auto& [piece, valid] : pieces) {
        for (std::size_t before = 0; before < 18; ++before) {
            for (std::size_t after : {0, 1, 7, 9}) {
                const std::string text = std::string(before, 'a') + piece + std::string(after, 'b');
                EXPECT_EQ(isUtf8(text), valid) << before << " " << after << " " << piece.size();
            }
        }
    }
}

}  // namespace
}  // namespace Rilk
