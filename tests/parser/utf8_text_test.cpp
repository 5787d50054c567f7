#include "parser/utf8_text.h"

#include <string>

#include <gtest/gtest.h>

namespace Rilk {
namespace {

// Plain ASCII is checked eight bytes at a time: every other byte must still be seen wherever
// it falls in or across those eight-byte steps.
TEST(Utf8Text, CheckedAtEveryOffset) {
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
