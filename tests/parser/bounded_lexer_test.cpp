#include "parser/bounded_lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/throwing_error_listener.h"
#include "parser/unclosed_token_simulator.h"

namespace {

/// Every token of `text` as "type:text@line:column", then every error message reported;
/// read by the lexer the parse chain uses, or by the runtime's plain one.
struct Lexed {
    std::vector<std::string> tokens;
    std::vector<std::string> errors;
    std::size_t errorCount = 0;
};

Lexed lex(const std::string& text, bool bounded) {
    antlr4::ANTLRInputStream input(text);
    Rilk::BoundedLexer boundedLexer(&input);
    CommonLexer plainLexer(&input);
    if (bounded) Rilk::UnclosedTokenSimulator::install(boundedLexer);
    antlr4::Lexer& lexer = bounded ? static_cast<antlr4::Lexer&>(boundedLexer) : plainLexer;
    ThrowingErrorListener listener("t");
    lexer.removeErrorListeners();
    lexer.addErrorListener(&listener);
    Lexed out;
    for (auto token = lexer.nextToken(); token->getType() != antlr4::Token::EOF;
         token = lexer.nextToken()) {
        out.tokens.push_back(std::to_string(token->getType()) + ":" + token->getText() + "@" +
                             std::to_string(token->getLine()) + ":" +
                             std::to_string(token->getCharPositionInLine()));
    }
    out.errors = listener.messages();
    out.errorCount = bounded ? boundedLexer.errorCount() : out.errors.size();
    return out;
}

std::string utf8(char32_t c) {
    return antlrcpp::utf32_to_utf8(std::u32string(1, c));
}

}  // namespace

TEST(BoundedLexer, ACharacterThatStartsNoTokenIsOneErrorQuotingJustIt) {
    for (char32_t c = 1; c < 0x3000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        if (!Rilk::startsNoToken(c)) continue;
        const Lexed plain = lex(utf8(c) + "a", false);
        ASSERT_EQ(plain.errors.size(), 1u) << static_cast<unsigned>(c);
        EXPECT_EQ(plain.tokens, std::vector<std::string>{"40:a@1:1"}) << static_cast<unsigned>(c);
    }
    for (const char c : std::string("azAZ09_-?/\"R( \t\n")) EXPECT_FALSE(Rilk::startsNoToken(c));
}

TEST(BoundedLexer, ReportsTheFirstErrorsAndCountsTheRestGivingThePlainLexersTokens) {
    std::string text(25, '\x01');
    for (int i = 0; i < 30; ++i) {
        text += "a: { x = \"s\" } ~ ` ?x - \xc3\xa9 R\"(x)\" \x7f /* c */ y = R\"(z\n";
    }
    const Lexed plain = lex(text, false);
    const Lexed bounded = lex(text, true);
    EXPECT_EQ(bounded.tokens, plain.tokens);
    EXPECT_EQ(bounded.errorCount, plain.errorCount);
    ASSERT_EQ(bounded.errors.size(), Rilk::BoundedLexer::kShownErrors);
    EXPECT_EQ(bounded.errors, std::vector<std::string>(plain.errors.begin(),
                                                       plain.errors.begin() + 20));
    EXPECT_EQ(Rilk::unshownErrorsLine(bounded.errorCount - 20),
              "... and " + std::to_string(plain.errorCount - 20) +
                  " more token recognition errors\n");
    EXPECT_EQ(Rilk::unshownErrorsLine(0), "");
}

TEST(BoundedLexer, AnUnclosedStringIsQuotedUpToEightyCharacters) {
    const std::string rest = "\"" + std::string(100000, 'x');
    EXPECT_EQ(lex("a = " + rest, true).errors,
              std::vector<std::string>{"t(1,4): token recognition error at: '\"" +
                                       std::string(79, 'x') + "...'"});
    // A short one is quoted whole, as the runtime quotes it.
    EXPECT_EQ(lex("a = \"xy\nz", true).errors, lex("a = \"xy\nz", false).errors);
}
