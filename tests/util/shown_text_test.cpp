#include "util/shown_text.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ShownText, CutsToALinesWorthAndEscapesControlsAndBytesThatAreNoUtf8) {
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
        // Bytes that are no UTF-8 (a lone continuation, a cut sequence, an overlong form, a
        // surrogate, past U+10FFFF) one by one, within the bound as single bytes.
        {"a\x80"
         "b\xc3",
         80, "a\\x80b\\xc3"},
        {"\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80", 80,
         "\\xc0\\xaf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
        {std::string(100, '\xff'), 2, "\\xff\\xff..."},
        // The controls that reorder or drive what follows; other characters stay.
        {"x\xe2\x80\xaey\xe2\x81\xa6z\xc2\x9b", 80, "x\\u202ey\\u2066z\\u009b"},
        {"\xe2\x80\xa9\xe2\x81\xaa", 80, "\xe2\x80\xa9\xe2\x81\xaa"},
        {"ab\xe2\x80\xae", 4, "ab..."},
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
