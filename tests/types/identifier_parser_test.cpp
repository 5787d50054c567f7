#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

namespace {

struct Parsed {
    bool ok;
    std::vector<Identifier::Segment> segments;
    ParseError error;
    std::size_t stop;
};

Parsed parse(const std::string& text) {
    Parsed out;
    IdentifierParseState state{text.size(), text.data(), 0, &out.error};
    out.ok = parseKeyChain(state, out.segments, '\0');
    out.stop = state.position;
    return out;
}

}  // namespace

TEST(IdentifierParser, ReadsSegmentsWithEveryKindOfIndexAndPrintsThemBack) {
    const Parsed out = parse("a.b[1][2..5][c.d]");
    ASSERT_TRUE(out.ok);
    ASSERT_EQ(out.segments.size(), 2u);
    EXPECT_TRUE(out.segments[0].indices.empty());
    const auto& indices = out.segments[1].indices;
    ASSERT_EQ(indices.size(), 3u);
    EXPECT_EQ(std::get<kNumberIndex>(indices[0]), 1u);
    EXPECT_EQ(std::get<kRangeIndex>(indices[1]), (IndexRange{2, 5}));
    EXPECT_EQ(std::get<kIdentifierIndex>(indices[2])->segments.size(), 2u);
    const Parsed nested = parse("a[b[0]]");
    const auto& inner = std::get<kIdentifierIndex>(nested.segments.at(0).indices.at(0));
    EXPECT_EQ(std::get<kNumberIndex>(inner->segments.at(0).indices.at(0)), 0u);
    EXPECT_EQ(std::get<kNumberIndex>(parse("a[18446744073709551615]").segments[0].indices[0]),
              18446744073709551615u);
    for (const char* text : {"a.b[1][2..5][c.d]", "x[y[0]].z", "_p.Q_1[3..0]"}) {
        EXPECT_EQ(ident(text).toString(), text);
    }
}

TEST(IdentifierParser, StopsAtTheFirstCharacterThatCannotContinue) {
    for (const auto& [text, stop] :
         {std::pair{"my-var rest", 6u}, std::pair{"_x9 rest", 3u}, std::pair{"a[b[0]]", 7u}}) {
        const Parsed out = parse(text);
        EXPECT_TRUE(out.ok && out.segments.size() == 1) << text;
        EXPECT_EQ(out.stop, stop);
    }
    // Names are written as the language writes them: "-" continues a name, never starts one.
    EXPECT_EQ(parse("my-var").segments.at(0).name, "my-var");
    EXPECT_EQ(parse("a[b-1]").segments.at(0).indices.size(), 1u);
}

TEST(IdentifierParser, ReportsMessageAndPosition) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "0: Unexpected end while parsing name"},
        {"1a", "0: Invalid identifier start"},
        {"a.", "2: Expected identifier segment after '.'"},
        {"a[x.]", "4: Expected identifier segment after '.'"},
        {"a[", "2: Unexpected end inside '[]'"},
        {"a[1", "3: Expected ']'"},
        {"a[1..]", "5: Expected number"},
        {"a[-1]", "2: Invalid index expression inside '[]'"},
        {"a[1..2..3]", "6: Expected ']'"},
        {"a[x$]", "3: Expected ']'"},
        {"-a", "0: Invalid identifier start"},
        // A digit run beyond 64 bits is refused at its first digit.
        {"a[18446744073709551616]", "2: Index number does not fit in 64 bits"},
        {"a[1..99999999999999999999]", "5: Index number does not fit in 64 bits"}};
    for (const auto& [text, expected] : cases) {
        const Parsed out = parse(text);
        EXPECT_FALSE(out.ok) << text;
        EXPECT_EQ(std::to_string(out.error.position) + ": " + out.error.message, expected);
    }
    const Parsed partial = parse("a.b.");  // keeps the segments completed before
    EXPECT_EQ(partial.segments.size(), 2u);
    IdentifierParseState unrecorded{2, "a[", 0, nullptr};
    std::vector<Identifier::Segment> segments;
    EXPECT_FALSE(parseKeyChain(unrecorded, segments, '\0'));
}
