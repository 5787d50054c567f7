#include <limits>

#include "parser/parser_test_support.h"

TEST(VisitIdentifier, SegmentsCarryTheirIndices) {
    auto identifier = Visit("a[1:3].b[c.d][0][-1].e", Kind::Unit).identifier();
    ASSERT_EQ(identifier.segments.size(), 3u);
    const auto& a = identifier.segments[0];
    EXPECT_EQ(a.name, "a");
    ASSERT_EQ(a.indices.size(), 1u);
    EXPECT_EQ(std::get<Rilk::IndexRange>(a.indices[0]), (Rilk::IndexRange{1, 3}));
    const auto& b = identifier.segments[1];
    ASSERT_EQ(b.indices.size(), 3u);
    const auto& nested = std::get<std::shared_ptr<Rilk::Identifier>>(b.indices[0]);
    ASSERT_NE(nested, nullptr);
    EXPECT_EQ(nested->toString(), "c.d");
    EXPECT_EQ(std::get<std::uint64_t>(b.indices[1]), 0u);
    // A negative index wraps around.
    EXPECT_EQ(std::get<std::uint64_t>(b.indices[2]), std::numeric_limits<std::uint64_t>::max());
    EXPECT_TRUE(identifier.segments[2].indices.empty());
}

TEST(VisitIdentifier, UnusableIndicesFailWithTheirPosition) {
    EXPECT_EQ(errorText<std::out_of_range>(
                  [] { Visit("a[18446744073709551616]", Kind::Unit).identifier(); }),
              "line 1, column 2: the index 18446744073709551616 does not fit in 64 bits");
    // The identifier model has no form for a regular expression: it must not become index 0.
    Visit text("x.a[R\"(^lib.*)\"]", Kind::Unit);
    text.visitor.sourcePath = "dir/rilk.txt";
    EXPECT_EQ(errorText<std::runtime_error>([&] { text.identifier(); }),
              "dir/rilk.txt(1,4): the regular-expression index R\"(^lib.*)\" is not supported; "
              "index with a number, a range or an identifier");
}
