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

}  // namespace
