#include "types/identifier_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace Rilk {
namespace {

struct ParseOutcome {
    bool ok;
    std::vector<Identifier::Segment> segments;
    ParseError error;
    std::size_t stop;
};

ParseOutcome parse(const std::string& text) {
    ParseOutcome outcome;
    IdentifierParseState state{text.size(), text.data(), 0, &outcome.error};
    outcome.ok = parseKeyChain(state, outcome.segments, '\0');
    outcome.stop = state.position;
    return outcome;
}

TEST(IdentifierParserTest, ReadsSegmentsWithEveryKindOfIndex) {
    const ParseOutcome out = parse("a.b[1][2..5][c.d]");
    ASSERT_TRUE(out.ok);
    ASSERT_EQ(out.segments.size(), 2u);
    EXPECT_EQ(out.segments[0].name, "a");
    EXPECT_TRUE(out.segments[0].indices.empty());
    const auto& indices = out.segments[1].indices;
    ASSERT_EQ(indices.size(), 3u);
    EXPECT_EQ(std::get<kNumberIndex>(indices[0]), 1u);
    EXPECT_EQ(std::get<kRangeIndex>(indices[1]), (IndexRange{2, 5}));
    const auto& nested = std::get<kIdentifierIndex>(indices[2]);
    ASSERT_EQ(nested->segments.size(), 2u);
    EXPECT_EQ(nested->segments[0].name, "c");
    EXPECT_EQ(nested->segments[1].name, "d");
}

TEST(IdentifierParserTest, NestedIdentifierKeepsItsOwnIndex) {
    const ParseOutcome out = parse("a[b[0]]");
    ASSERT_TRUE(out.ok);
    const auto& nested = std::get<kIdentifierIndex>(out.segments[0].indices[0]);
    ASSERT_EQ(nested->segments.size(), 1u);
    EXPECT_EQ(std::get<kNumberIndex>(nested->segments[0].indices[0]), 0u);
    EXPECT_EQ(out.stop, 7u);
}

TEST(IdentifierParserTest, StopsAtFirstCharacterThatCannotContinue) {
    const ParseOutcome dash = parse("my-var");
    ASSERT_TRUE(dash.ok);
    ASSERT_EQ(dash.segments.size(), 1u);
    EXPECT_EQ(dash.segments[0].name, "my");
    EXPECT_EQ(dash.stop, 2u);

    const ParseOutcome trailing = parse("_x9 rest");
    ASSERT_TRUE(trailing.ok);
    EXPECT_EQ(trailing.segments[0].name, "_x9");
    EXPECT_EQ(trailing.stop, 3u);
}

struct BadIdentifier {
    std::string text;
    std::string message;
    std::uint64_t position;
    friend void PrintTo(const BadIdentifier& c, std::ostream* os) { *os << c.text; }
};

class IdentifierParserErrorTest : public testing::TestWithParam<BadIdentifier> {};

TEST_P(IdentifierParserErrorTest, ReportsMessageAndPosition) {
    const ParseOutcome out = parse(GetParam().text);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.error.message, GetParam().message);
    EXPECT_EQ(out.error.position, GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, IdentifierParserErrorTest,
    testing::Values(
        BadIdentifier{"", "Unexpected end while parsing name", 0},
        BadIdentifier{"1a", "Invalid identifier start", 0},
        BadIdentifier{"a.", "Expected identifier segment after '.'", 2},
        BadIdentifier{"a[x.]", "Expected identifier segment after '.'", 4},
        BadIdentifier{"a.1", "Invalid identifier start", 2},
        BadIdentifier{"a[", "Unexpected end inside '[]'", 2},
        BadIdentifier{"a[1", "Expected ']'", 3}, BadIdentifier{"a[1..]", "Expected number", 5},
        BadIdentifier{"a[1..", "Expected number", 5},
        BadIdentifier{"a[-1]", "Invalid index expression inside '[]'", 2},
        BadIdentifier{"a[1..2..3]", "Expected ']'", 6}, BadIdentifier{"a[x-]", "Expected ']'", 3},
        // A digit run beyond 64 bits is refused at its first digit.
        BadIdentifier{"a[18446744073709551616]", "Index number does not fit in 64 bits", 2},
        BadIdentifier{"a[1..99999999999999999999]", "Index number does not fit in 64 bits", 5}));

TEST(IdentifierParserTest, LargestIndexStillFits) {
    const ParseOutcome out = parse("a[18446744073709551615]");
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(std::get<kNumberIndex>(out.segments[0].indices[0]), 18446744073709551615u);
}

TEST(IdentifierParserTest, FailureKeepsSegmentsCompletedBefore) {
    const ParseOutcome out = parse("a.b.");
    EXPECT_FALSE(out.ok);
    ASSERT_EQ(out.segments.size(), 2u);
    EXPECT_EQ(out.segments[1].name, "b");
}

TEST(IdentifierParserTest, WorksWithoutErrorRecord) {
    const std::string text = "a[";
    IdentifierParseState state{text.size(), text.data(), 0, nullptr};
    std::vector<Identifier::Segment> segments;
    EXPECT_FALSE(parseKeyChain(state, segments, '\0'));
}

}  // namespace
}  // namespace Rilk
