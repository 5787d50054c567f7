#include "types/reference_parser.h"

#include <gtest/gtest.h>

namespace Rilk {
namespace {

TEST(ParseIdentifierText, EmptyTextFailsAtZeroAndLeavesTheIdentifierAlone) {
    Identifier identifier;
    identifier.segments.push_back({"kept", {}});
    ParseError error{7, "old"};
    EXPECT_FALSE(parseIdentifierText("", identifier, error));
    EXPECT_EQ(error.position, 0u);
    EXPECT_EQ(error.message, "Empty identifier");
    EXPECT_EQ(identifier.toString(), "kept");
}

TEST(ParseIdentifierText, ReadsOnlyTheLeadingIdentifier) {
    Identifier identifier;
    ParseError error;
    EXPECT_TRUE(parseIdentifierText("a.b[1] rest-}", identifier, error));
    EXPECT_EQ(identifier.toString(), "a.b[1]");
}

}  // namespace
}  // namespace Rilk
