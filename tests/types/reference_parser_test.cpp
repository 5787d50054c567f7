#include "types/reference_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Rilk;

TEST(ReferenceParser, APlainNameIsWhatTheParserReadsWholeAsOneSegmentWithoutIndices) {
    for (const std::string& text : std::vector<std::string>{
             "a", "_", "A_z09", "_1", "1a", "", "a.b", "a[0]", "a b", "a-b", "a$", "a}", " a",
             "\xc3\xa9", "a\xc3\xa9", std::string("a\0", 2), "a.", "[0]"}) {
        Identifier identifier;
        ParseError error;
        const bool whole = parseIdentifierText(text, identifier, error) &&
                           identifier.toString() == text && identifier.segments.size() == 1 &&
                           identifier.segments.front().indices.empty();
        EXPECT_EQ(isPlainName(text), whole) << text;
    }
}
