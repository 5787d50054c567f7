#include "parser/unclosed_token_simulator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/throwing_error_listener.h"

namespace {

/// An input stream that counts the characters the lexer looks at.
class CountingStream : public antlr4::ANTLRInputStream {
public:
    using antlr4::ANTLRInputStream::ANTLRInputStream;
    size_t LA(ssize_t i) override {
        ++looks;
        return antlr4::ANTLRInputStream::LA(i);
    }
    std::size_t looks = 0;
};

/// Every token of `input` as "type:text@line:column", and every lexical error message.
std::vector<std::string> lexAll(antlr4::CharStream& input, bool shortcut) {
    Rilk::BoundedLexer bounded(&input);
    CommonLexer plain(&input);
    if (shortcut) Rilk::UnclosedTokenSimulator::install(bounded);
    antlr4::Lexer& lexer = shortcut ? static_cast<antlr4::Lexer&>(bounded) : plain;
    ThrowingErrorListener listener("t");
    lexer.removeErrorListeners();
    lexer.addErrorListener(&listener);
    std::vector<std::string> tokens;
    for (auto token = lexer.nextToken(); token->getType() != antlr4::Token::EOF;
         token = lexer.nextToken()) {
        tokens.push_back(std::to_string(token->getType()) + ":" + token->getText() + "@" +
                         std::to_string(token->getLine()) + ":" +
                         std::to_string(token->getCharPositionInLine()));
    }
    tokens.insert(tokens.end(), listener.messages().begin(), listener.messages().end());
    return tokens;
}

}  // namespace

TEST(UnclosedTokenSimulator, GivesTheTokensOfThePlainLexer) {
    for (const char* text :
         {"R\"(a))\"", "R\"(a))\" x )\"", "R\"(f(x))\" y )\" z", "x\n R\"(\n", "P\"(a)", "R\"()",
          "R\"(a)\" R\"(b", "/* a", "a /* b */ /* c", "/*/", "/* x */ y /* z", "*/ /* R\"(",
          "\"R\\\"(\" R\"(\"", "R\"(/*)\" */", "P\"( R\"(x)\" )"}) {
        antlr4::ANTLRInputStream plain(text);
        antlr4::ANTLRInputStream shortcut(text);
        EXPECT_EQ(lexAll(shortcut, true), lexAll(plain, false)) << text;
    }
}

// Each unclosed opener used to rescan the rest of the input: quadratic time in its length.
TEST(UnclosedTokenSimulator, LooksAtEachCharacterOnlyAFewTimes) {
    for (const char* opener : {"/*x", "R\"(", "P\"("}) {
        std::string text;
        for (int i = 0; i < 3000; ++i) text += opener;
        CountingStream input(text);
        lexAll(input, true);
        EXPECT_LT(input.looks, 20 * text.size()) << opener;
    }
}
