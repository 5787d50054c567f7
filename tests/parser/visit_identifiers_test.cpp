#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "parser/visit_test_support.h"

namespace {

using Kind = RilkVisitorImpl::FileKind;

TEST(VisitIdentifier, SegmentsCarryTheirIndices) {
    auto identifier = VisitText("a[1:3].b[c.d][0][2].e", Kind::Unit).identifier();
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
    EXPECT_EQ(std::get<std::uint64_t>(b.indices[2]), 2u);
    EXPECT_TRUE(identifier.segments[2].indices.empty());
}

TEST(VisitIdentifier, NegativeIndexWrapsAround) {
    auto identifier = VisitText("a[-1]", Kind::Unit).identifier();
    EXPECT_EQ(std::get<std::uint64_t>(identifier.segments[0].indices[0]),
              std::numeric_limits<std::uint64_t>::max());
}

TEST(VisitIdentifier, IndexBeyond64BitsFailsWithItsPosition) {
    std::string error = errorText<std::out_of_range>(
        [] { VisitText("a[18446744073709551616]", Kind::Unit).identifier(); });
    EXPECT_EQ(error, "line 1, column 2: the index 18446744073709551616 does not fit in 64 bits");
}

// The identifier model has no form for a regular expression: it must not become index 0.
TEST(VisitIdentifier, RegularExpressionIndexIsRefused) {
    VisitText text("x.a[R\"(^lib.*)\"]", Kind::Unit);
    text.visitor.sourcePath = "dir/rilk.txt";
    std::string error = errorText<std::runtime_error>([&] { text.identifier(); });
    EXPECT_EQ(error,
              "dir/rilk.txt(1,4): the regular-expression index R\"(^lib.*)\" is not supported; "
              "index with a number, a range or an identifier");
}

}  // namespace
