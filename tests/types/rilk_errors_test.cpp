#include "types/rilk_errors.h"

#include <gtest/gtest.h>

using namespace Rilk;

TEST(RilkErrors, ComposeTheirMessages) {
    const RilkException plain("text");
    EXPECT_EQ(plain.message(), "text");
    EXPECT_EQ(plain.message(), "text");
    EXPECT_EQ(BadOperation("nope").message(), "nope");
    EXPECT_EQ(NotFoundException("Variable", "CFLAGS").message(), "Variable 'CFLAGS' not found.");
    EXPECT_EQ(BadConversion("RilkInt", "5", "RilkString").message(),
              "Cannot convert RilkInt 5 to RilkString");
    for (const auto& [key, text] :
         {std::pair{AccessKey(std::int64_t{3}), "[3]"},
          std::pair{AccessKey(std::int64_t{-1}), "[-1]"}, std::pair{patternKey("x.*"), "/x.*/"},
          std::pair{AccessKey(Range{1, 5, 1}), "[1:5:1]"}, std::pair{nameKey("name"), "name"}}) {
        EXPECT_EQ(IndexException("SRC", key).message(),
                  std::string("Variable SRC cannot be indexed with ") + text);
    }
}

TEST(RilkErrors, IdentifierErrorAndLoopFoundPrintTheirChains) {
    const KeyChain chain{nameKey("a"), nameKey("b"), nameKey("c")};
    EXPECT_EQ(IdentifierError(chain, 2, "Identifier part must be context.").message(),
              "Identifier part must be context. a.b. <<");
    EXPECT_EQ(IdentifierError(chain, 0, "m").message(), "m  <<");
    EXPECT_EQ(IdentifierError(chain, 99, "m").message(), "m a.b.c. <<");
    const KeyChain mixed{nameKey("x"), AccessKey(std::int64_t{4}), AccessKey(Range{0, 4, 2}),
                         patternKey("p.*")};
    EXPECT_EQ(IdentifierError(mixed, 4, "m").message(), "m x.4.0, 4, 2.p.*. <<");

    VisitingChain visiting;
    const std::string intro = "Loop detected! Causing term: 'A'\n  loop goes as follows: ";
    EXPECT_EQ(LoopFoundException("A", visiting).message(), intro);
    visiting.names = {"B", "A"};
    visiting.lookup = {"B", "A"};
    EXPECT_EQ(LoopFoundException("A", visiting).message(), intro + "B <- A <- ");
}

TEST(RilkErrors, InternalErrorNamesFileLineAndFunction) {
    const auto where = std::source_location::current();
    EXPECT_EQ(InternalError(where).message(), fmt::format("Internal: {}({}) {}", where.file_name(),
                                                          where.line(), where.function_name()));
    EXPECT_EQ(InternalError(std::source_location()).message().substr(0, 13), "Internal: (0)");
}

TEST(RilkErrors, VariableErrorNamesTheVariableItsTextAndTheFirstTargetGiven) {
    VariableError bare("x", "went wrong");
    EXPECT_EQ(bare.message(), "Variable 'x': went wrong");
    VariableError error("x", "went wrong", "\"a${}b\"");
    EXPECT_EQ(error.message(), "Variable 'x', value \"a${}b\": went wrong");
    error.setTarget("u::inner");
    error.setTarget("u::outer");
    EXPECT_EQ(error.message(), "Variable 'x' of target u::inner, value \"a${}b\": went wrong");
}
