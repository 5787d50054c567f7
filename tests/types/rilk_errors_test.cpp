#include "types/rilk_errors.h"

#include <gtest/gtest.h>

namespace Rilk {
namespace {

TEST(RilkErrors, ComposeTheirMessages) {
    EXPECT_EQ(NotFoundException("Variable", "CFLAGS").message(), "Variable 'CFLAGS' not found.");
    EXPECT_EQ(BadConversion("RilkInt", "5", "RilkString").message(),
              "Cannot convert RilkInt 5 to RilkString");
    EXPECT_EQ(BadOperation("nope").message(), "nope");
    const RilkException plain("text");
    EXPECT_EQ(plain.message(), "text");
    EXPECT_EQ(plain.message(), plain.message());
}

TEST(RilkErrors, IndexExceptionPrintsEachKeyKind) {
    EXPECT_EQ(IndexException("SRC", AccessKey(std::int64_t{3})).message(),
              "Variable SRC cannot be indexed with [3]");
    EXPECT_EQ(IndexException("SRC", AccessKey(std::int64_t{-1})).message(),
              "Variable SRC cannot be indexed with [-1]");
    EXPECT_EQ(IndexException("SRC", patternKey("x.*")).message(),
              "Variable SRC cannot be indexed with /x.*/");
    EXPECT_EQ(IndexException("SRC", AccessKey(Range{1, 5, 1})).message(),
              "Variable SRC cannot be indexed with [1:5:1]");
    EXPECT_EQ(IndexException("SRC", nameKey("name")).message(),
              "Variable SRC cannot be indexed with name");
}

TEST(RilkErrors, IdentifierErrorPrintsTheChainUpToThePosition) {
    const KeyChain chain{nameKey("a"), nameKey("b"), nameKey("c")};
    EXPECT_EQ(IdentifierError(chain, 2, "Identifier part must be context.").message(),
              "Identifier part must be context. a.b. <<");
    EXPECT_EQ(IdentifierError(chain, 0, "m").message(), "m  <<");
    EXPECT_EQ(IdentifierError(chain, 99, "m").message(), "m a.b.c. <<");
    const KeyChain mixed{nameKey("x"), AccessKey(std::int64_t{4}), AccessKey(Range{0, 4, 2}),
                         patternKey("p.*")};
    EXPECT_EQ(IdentifierError(mixed, 4, "m").message(), "m x.4.0, 4, 2.p.*. <<");
}

TEST(RilkErrors, LoopFoundListsTheChainNewestFirst) {
    VisitingChain chain;
    EXPECT_EQ(LoopFoundException("A", chain).message(),
              "Loop detected! Causing term: 'A'\n  loop goes as follows: ");
    chain.names = {"B", "A"};
    chain.lookup = {"B", "A"};
    EXPECT_EQ(LoopFoundException("A", chain).message(),
              "Loop detected! Causing term: 'A'\n  loop goes as follows: B <- A <- ");
}

TEST(RilkErrors, InternalErrorNamesFileLineAndFunction) {
    const auto where = std::source_location::current();
    const InternalError error(where);
    EXPECT_EQ(error.message(), fmt::format("Internal: {}({}) {}", where.file_name(), where.line(),
                                           where.function_name()));
    EXPECT_EQ(InternalError(std::source_location()).message().substr(0, 13), "Internal: (0)");
}

}  // namespace
}  // namespace Rilk
