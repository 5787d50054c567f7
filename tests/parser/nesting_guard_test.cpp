#include <gtest/gtest.h>

#include <string>

#include "parser/nesting_guard.h"
#include "parser/parse_chain.h"
#include "parser/throwing_error_listener.h"

namespace {

enum class Entry { Unit, Assignment };

/// Parses one text and keeps the chain alive for inspecting the tree.
struct Parsed {
    explicit Parsed(const std::string& text) : chain(text, "t") {
        chain.useErrorListener(listener);
    }
    Rilk::ParseChain chain;
    ThrowingErrorListener listener{"t"};
};

struct DeepCase {
    Entry entry;
    std::string open;
    std::string prefix;
};

class NestingGuard : public testing::TestWithParam<DeepCase> {};

// Nesting thousands deep must end in a syntax error at the token, not in a stack overflow.
TEST_P(NestingGuard, TooDeepNestingIsASyntaxError) {
    std::string text = GetParam().prefix;
    for (int i = 0; i < 100000; ++i) text += GetParam().open;
    Parsed parsed(text);
    switch (GetParam().entry) {
        case Entry::Unit:
            EXPECT_EQ(parsed.chain.unitFile(), nullptr);
            break;
        default:
            EXPECT_EQ(parsed.chain.assignment(), nullptr);
            break;
    }
    ASSERT_FALSE(parsed.listener.messages().empty());
    EXPECT_NE(parsed.listener.messages().back().find(Rilk::NestingGuard::message),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Deep, NestingGuard,
                         testing::Values(DeepCase{Entry::Unit, "if a {", "t: {"},
                                         DeepCase{Entry::Unit, "if a ", "t: {"},
                                         DeepCase{Entry::Unit, "x = {", "t: {"},
                                         DeepCase{Entry::Assignment, "[", "x = "},
                                         DeepCase{Entry::Assignment, "a[", "x = "}));

TEST(NestingGuard, ModerateNestingIsAccepted) {
    std::string text = "t: {";
    for (int i = 0; i < 150; ++i) text += "if a { x = { ";
    for (int i = 0; i < 150; ++i) text += "} }";
    text += "}";
    Parsed parsed(text);
    EXPECT_NE(parsed.chain.unitFile(), nullptr);
    EXPECT_TRUE(parsed.listener.messages().empty());
}

TEST(NestingGuard, ParserIsUsableAgainAfterAnAbandonedParse) {
    std::string text = "x = ";
    for (int i = 0; i < 5000; ++i) text += "[";
    Parsed deep(text);
    EXPECT_EQ(deep.chain.assignment(), nullptr);
    Parsed flat("x = [1]");
    EXPECT_NE(flat.chain.assignment(), nullptr);
    EXPECT_TRUE(flat.listener.messages().empty());
}

}  // namespace
