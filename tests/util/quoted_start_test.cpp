#include "util/quoted_start.h"

#include <string>

#include <gtest/gtest.h>

namespace {

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
