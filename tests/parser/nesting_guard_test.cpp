#include "parser/nesting_guard.h"

#include "parser/parser_test_support.h"

// Nesting thousands deep must end in a syntax error at the token, not in a stack overflow.
TEST(NestingGuard, TooDeepNestingIsASyntaxError) {
    const std::tuple<Entry, const char*, const char*> cases[] = {{Entry::Unit, "t: {", "if a {"},
                                                                 {Entry::Unit, "t: {", "if a "},
                                                                 {Entry::Unit, "t: {", "x = {"},
                                                                 {Entry::Assignment, "x = ", "["},
                                                                 {Entry::Assignment, "x = ", "a["}};
    for (const auto& [entry, prefix, open] : cases) {
        std::string text = prefix;
        for (int i = 0; i < 100000; ++i) text += open;
        Parsed parsed(text);
        bool tree = entry == Entry::Unit ? parsed.chain.unitFile() != nullptr
                                         : parsed.chain.assignment() != nullptr;
        EXPECT_FALSE(tree) << open;
        const auto& errors = parsed.listener.messages();
        ASSERT_FALSE(errors.empty()) << open;
        EXPECT_NE(errors.back().find(Rilk::NestingGuard::message), std::string::npos) << open;
    }
}

TEST(NestingGuard, ParserIsUsableAgainAfterAnAbandonedParse) {
    Parsed deep("x = " + std::string(5000, '['));
    EXPECT_EQ(deep.chain.assignment(), nullptr);
    EXPECT_EQ(syntaxErrors(Entry::Assignment, "x = [1]"), std::vector<std::string>{});
}
