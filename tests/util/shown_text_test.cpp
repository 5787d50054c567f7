#include "util/shown_text.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ShownText, CutsToALinesWorthAndEscapesControlBytes) {
    const struct {
        std::string text;
        std::size_t limit;
        std::string shown;
    } cases[] = {
        {"plain", 80, "plain"},
        {"\x1b[31mred\r\n\t\x7f", 80, "\\x1b[31mred\\x0d\\x0a\\x09\\x7f"},
        {std::string(81, 'a'), 80, std::string(80, 'a') + "..."},
        {std::string(80, 'a'), 80, std::string(80, 'a')},
        // Never half a character: "é" is two bytes.
        {"ab\xc3\xa9z", 3, "ab..."},
        {"ab\xc3\xa9z", 4, "ab\xc3\xa9..."},
        {"\x01\x02", 1, "\\x01..."},
    };
    for (const auto& c : cases) EXPECT_EQ(Util::shownText(c.text, c.limit), c.shown) << c.text;
}

TEST(QuotedStart, CutsAfterTheCharactersWithoutSplittingOne) {
    const std::string accents(100, 'a');
    struct Case {
        std::string text;
        std::size_t max;
        std::string quoted;
    };
    const Case cases[] = {
        {"", 3, ""},
        {"abc", 3, "abc"},
        {"abcd", 3, "abc..."},
        {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 3, "\xc3\xa9\xc3\xa9\xc3\xa9..."},
        {std::string(80, 'a'), Util::kQuotedCharacters, std::string(80, 'a')},
        {accents, Util::kQuotedCharacters, std::string(80, 'a') + "..."},
    };
    for (const Case& c : cases) EXPECT_EQ(Util::quotedStart(c.text, c.max), c.quoted) << c.text;
}

}  // namespace
