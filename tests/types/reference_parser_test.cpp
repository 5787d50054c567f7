#include "types/reference_parser.h"

#include <gtest/gtest.h>

namespace Rilk {
namespace {

TEST(ParseIdentifierText, ReadsOneIdentifierFromTheStart) {
    const std::pair<const char*, const char*> cases[] = {
        {"a", "a"}, {"a.b[1]", "a.b[1]"}, {"a b", "a"}, {"a-b", "a"}, {"x[1..2]}", "x[1..2]"},
    };
    for (const auto& [text, written] : cases) {
        Identifier identifier;
        ParseError error;
        ASSERT_TRUE(parseIdentifierText(text, identifier, error)) << text;
        EXPECT_EQ(identifier.toString(), written);
    }
}

TEST(ParseIdentifierText, EmptyTextFailsAtZeroAndLeavesTheIdentifierAlone) {
    Identifier identifier;
    identifier.segments.push_back({"kept", {}});
    ParseError error{7, "old"};
    EXPECT_FALSE(parseIdentifierText("", identifier, error));
    EXPECT_EQ(error.position, 0u);
    EXPECT_EQ(error.message, "Empty identifier");
    EXPECT_EQ(identifier.toString(), "kept");
}

TEST(ParseIdentifierText, ParserErrorsComeBackAsRecorded) {
    Identifier identifier;
    ParseError error;
    EXPECT_FALSE(parseIdentifierText("a[x.]", identifier, error));
    EXPECT_EQ(error.position, 4u);
    EXPECT_EQ(error.message, "Expected identifier segment after '.'");
}

TEST(ParseReferenceName, ThrowsTheParseError) {
    EXPECT_EQ(parseReferenceName("v.w").toString(), "v.w");
    try {
        parseReferenceName("1a");
        ADD_FAILURE() << "no error";
    } catch (const ParseError& e) {
        EXPECT_EQ(e.position, 0u);
        EXPECT_EQ(e.message, "Invalid identifier start");
    }
}

}  // namespace
}  // namespace Rilk
