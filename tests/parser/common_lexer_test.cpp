#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/CommonLexer.h"
#include "parser/throwing_error_listener.h"

namespace {

struct Lexed {
    std::vector<std::string> tokens;  // "NAME" or "NAME:text" for tokens with variable text
    std::vector<std::string> errors;
};

/// Lexes `text` and names each token by its symbolic name, adding its text where the token
/// has no fixed literal.
Lexed lex(const std::string& text) {
    antlr4::ANTLRInputStream input(text);
    CommonLexer lexer(&input);
    ThrowingErrorListener listener("t");
    lexer.removeErrorListeners();
    lexer.addErrorListener(&listener);
    Lexed result;
    for (auto token = lexer.nextToken(); token->getType() != antlr4::Token::EOF;
         token = lexer.nextToken()) {
        auto& vocabulary = lexer.getVocabulary();
        std::string name = vocabulary.getSymbolicName(token->getType());
        if (vocabulary.getLiteralName(token->getType()).empty()) name += ":" + token->getText();
        result.tokens.push_back(name);
    }
    result.errors = listener.messages();
    return result;
}

using Tokens = std::vector<std::string>;

TEST(CommonLexer, TokenTypesFollowTheRuleOrder) {
    EXPECT_EQ(CommonLexer::WS, 1u);
    EXPECT_EQ(CommonLexer::ASSIGNEMPTY, 17u);
    EXPECT_EQ(CommonLexer::STRING, 18u);
    EXPECT_EQ(CommonLexer::NUMBER, 21u);
    EXPECT_EQ(CommonLexer::SEMICOLON, 31u);
    EXPECT_EQ(CommonLexer::UNIT_STR, 32u);
    EXPECT_EQ(CommonLexer::NAME_STR, 39u);
    EXPECT_EQ(CommonLexer::IDENTIFIER, 40u);

    antlr4::ANTLRInputStream input("");
    CommonLexer lexer(&input);
    EXPECT_EQ(lexer.getGrammarFileName(), "CommonLexer.g4");
    ASSERT_EQ(lexer.getRuleNames().size(), 41u);
    EXPECT_EQ(lexer.getRuleNames().back(), "RAW_CONTENT");
    EXPECT_EQ(lexer.getChannelNames(),
              (std::vector<std::string>{"DEFAULT_TOKEN_CHANNEL", "HIDDEN"}));
    EXPECT_EQ(lexer.getModeNames(), std::vector<std::string>{"DEFAULT_MODE"});
    EXPECT_EQ(lexer.getVocabulary().getMaxTokenType(), 40u);
    EXPECT_EQ(lexer.getVocabulary().getLiteralName(CommonLexer::DCOLON), "'::'");
    EXPECT_EQ(lexer.getVocabulary().getSymbolicName(CommonLexer::IDENTIFIER), "IDENTIFIER");
}

struct LexCase {
    const char* text;
    Tokens tokens;
};

class CommonLexerTokens : public testing::TestWithParam<LexCase> {};

TEST_P(CommonLexerTokens, SplitsTextIntoTokens) {
    Lexed lexed = lex(GetParam().text);
    EXPECT_EQ(lexed.tokens, GetParam().tokens) << GetParam().text;
    EXPECT_TRUE(lexed.errors.empty()) << GetParam().text << ": " << lexed.errors.front();
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, CommonLexerTokens,
    testing::Values(
        // Keywords are reserved and case-sensitive; `units` is longer than `unit`.
        LexCase{"unit if import units profiles projects tools name",
                {"UNIT_STR", "IF_STR", "IMPORT_STR", "UNITS_STR", "PROFILES_STR", "PROJECTS_STR",
                 "TOOLS_STR", "NAME_STR"}},
        LexCase{"Name UNIT names unit_x tools2",
                {"IDENTIFIER:Name", "IDENTIFIER:UNIT", "IDENTIFIER:names", "IDENTIFIER:unit_x",
                 "IDENTIFIER:tools2"}},
        // Longer operators win over their prefixes.
        LexCase{":: ::: => +> += + != ! >= ?=",
                {"DCOLON", "DCOLON", "COLON", "ALIAS", "MERGE_ALIAS", "APPEND", "PLUS", "NEQUALS",
                 "MUST", "GREATER", "EQUALS", "ASSIGNEMPTY"}},
        LexCase{"( ) [ ] { } @ ^ / , . ; < ",
                {"LBRACKET", "RBRACKET", "LSQUARE", "RSQUARE", "LBRACE", "RBRACE", "AT", "UP",
                 "SLASH", "COMMA", "DOT", "SEMICOLON", "LESSER"}},
        // Identifiers take '-' and digits after the first character; numbers are digits only.
        LexCase{"foo-bar gcc-12 a-1 a-b",
                {"IDENTIFIER:foo-bar", "IDENTIFIER:gcc-12", "IDENTIFIER:a-1", "IDENTIFIER:a-b"}},
        LexCase{"-12 1abc 1.5",
                {"NUMBER:-12", "NUMBER:1", "IDENTIFIER:abc", "NUMBER:1", "DOT", "NUMBER:5"}},
        LexCase{"x=-1", {"IDENTIFIER:x", "EQUALS", "NUMBER:-1"}},
        LexCase{"x-=1", {"IDENTIFIER:x-", "EQUALS", "NUMBER:1"}},
        LexCase{"x::y", {"IDENTIFIER:x", "DCOLON", "IDENTIFIER:y"}},
        LexCase{"ns/lib::t",
                {"IDENTIFIER:ns", "SLASH", "IDENTIFIER:lib", "DCOLON", "IDENTIFIER:t"}},
        LexCase{"ns/unit::t", {"IDENTIFIER:ns", "SLASH", "UNIT_STR", "DCOLON", "IDENTIFIER:t"}},
        LexCase{"ns//lib::t", {"IDENTIFIER:ns"}},
        // Raw and path strings: quotes and pairs of ')' inside, content ending in ')' pairs.
        LexCase{R"--(R"()")--", {R"--(RAW_STRING:R"()")--"}},
        LexCase{R"--(R"(say "hi")")--", {R"--(RAW_STRING:R"(say "hi")")--"}},
        LexCase{R"--(R"(a)b)")--", {R"--(RAW_STRING:R"(a)b)")--"}},
        LexCase{R"--(R"(a)))")--", {R"--(RAW_STRING:R"(a)))")--"}},
        LexCase{R"--(R"(a))")--", {"IDENTIFIER:R", R"--(STRING:"(a))")--"}},
        LexCase{R"--(R"(f(x))" y )" z)--", {R"--(RAW_STRING:R"(f(x))" y )")--", "IDENTIFIER:z"}},
        LexCase{R"--(P"(src/*.c)")--", {R"--(PATH_STRING:P"(src/*.c)")--"}},
        LexCase{"R\"(line\none)\"", {"RAW_STRING:R\"(line\none)\""}},
        LexCase{R"--(r"(x)" Rx R)--",
                {"IDENTIFIER:r", R"--(STRING:"(x)")--", "IDENTIFIER:Rx", "IDENTIFIER:R"}},
        // Comments end at the line break, or at the first "*/"; strings hide comment marks.
        LexCase{"/* a /* b */ x", {"IDENTIFIER:x"}},
        LexCase{"a // rest\nb", {"IDENTIFIER:a", "IDENTIFIER:b"}},
        LexCase{"\"a // b /* c\nd\"", {"STRING:\"a // b /* c\nd\""}},
        LexCase{"\"\"", {"STRING:\"\""}},
        LexCase{"a\tb\r\nc", {"IDENTIFIER:a", "IDENTIFIER:b", "IDENTIFIER:c"}},
        // Non-ASCII text inside strings and comments.
        LexCase{"\"Grüße\" // ünïcode", {"STRING:\"Grüße\""}}));

struct ErrorCase {
    const char* text;
    Tokens tokens;
    std::size_t errors;
};

class CommonLexerErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(CommonLexerErrors, ReportsAndSkipsUnknownCharacters) {
    Lexed lexed = lex(GetParam().text);
    EXPECT_EQ(lexed.tokens, GetParam().tokens) << GetParam().text;
    EXPECT_EQ(lexed.errors.size(), GetParam().errors) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, CommonLexerErrors,
    testing::Values(ErrorCase{"a - b", {"IDENTIFIER:a", "IDENTIFIER:b"}, 1},
                    ErrorCase{"- 1", {"NUMBER:1"}, 1}, ErrorCase{"/* a */ */", {"SLASH"}, 1},
                    ErrorCase{"/* open", {"SLASH", "IDENTIFIER:open"}, 1},
                    ErrorCase{"\"a\\\"b\"", {"STRING:\"a\\\"", "IDENTIFIER:b"}, 1},
                    ErrorCase{"a\fb\vc", {"IDENTIFIER:a", "IDENTIFIER:b", "IDENTIFIER:c"}, 2},
                    ErrorCase{"$ * % & | # ?", {}, 7}, ErrorCase{"é", {}, 1}));

TEST(CommonLexer, LexicalErrorNamesLineAndColumn) {
    Lexed lexed = lex("a = 1\n  b $ 2");
    ASSERT_EQ(lexed.errors.size(), 1u);
    EXPECT_EQ(lexed.errors[0], "t(2,4): token recognition error at: '$'");
}

}  // namespace
